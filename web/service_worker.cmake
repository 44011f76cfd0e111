# cmake -DPAGE=DIR -DTEMPLATE=FILE -P service_worker.cmake: writes
# DIR/service_worker.js from TEMPLATE, listing every other file of the site
# in DIR and naming its cache after their content: the SHA-256 of each
# file's name and hash, in name order, cut to 16 hex digits. So the worker
# changes when, and only when, a file of the site does.
file(GLOB files LIST_DIRECTORIES false RELATIVE ${PAGE} ${PAGE}/*)
list(REMOVE_ITEM files service_worker.js)
list(SORT files)
set(digest "")
set(quoted "")
foreach(file ${files})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND digest "${file} ${hash}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 MANDELDIVE_CACHE_HASH "${digest}")
string(SUBSTRING ${MANDELDIVE_CACHE_HASH} 0 16 MANDELDIVE_CACHE_HASH)
list(JOIN quoted ", " MANDELDIVE_CACHE_FILES)
configure_file(${TEMPLATE} ${PAGE}/service_worker.js.new @ONLY)
file(RENAME ${PAGE}/service_worker.js.new ${PAGE}/service_worker.js)
