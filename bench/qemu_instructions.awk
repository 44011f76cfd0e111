# Guest instructions executed, from a qemu-user log made with
#   -d nochain,exec,in_asm
# in_asm prints each translated block once, exec each run of a block (with
# nochain, every run): the sum over runs of their blocks' sizes.
function key(a) { sub(/^0x/, "", a); sub(/^0+/, "", a); return a }
/^IN:/ { inblock = 1; first = ""; n = 0; next }
inblock && /^0x[0-9a-f]+:/ { if (first == "") { first = $1; sub(/:$/, "", first) } n++; next }
inblock { if (first != "") size[key(first)] = n; inblock = 0 }
/^Trace / { split($4, f, "/"); total += size[key(f[2])] }
END { printf "%d\n", total }
