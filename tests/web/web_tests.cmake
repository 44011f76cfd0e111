# The web page in Debian's Chromium, against the native renderer's pictures.
set(MANDELDIVE_RENDER ${PROJECT_SOURCE_DIR}/build/native/tools/mandeldive-render
    CACHE FILEPATH "The native mandeldive-render the web pictures are compared with")
add_test(NAME web_page
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web/web_page_test.sh
          ${PROJECT_BINARY_DIR}/web/page ${MANDELDIVE_RENDER}
          ${PROJECT_BINARY_DIR}/web-page.png)
set_tests_properties(web_page PROPERTIES TIMEOUT 600)
