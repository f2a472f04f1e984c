# Writes the service worker OUT from TEMPLATE for the site's FILES (in the folder SITE): every file
# with its SHA-256, and the cache's name made from all of them, so that any change to any file
# names a new cache.
#   cmake -DSITE=... -DFILES=a;b -DTEMPLATE=sw.js.in -DOUT=sw.js -P service_worker.cmake
set(entries)
set(all "")
foreach(file ${FILES})
  file(SHA256 ${SITE}/${file} hash)
  list(APPEND entries "  ['${file}', '${hash}'],")
  string(APPEND all "${file} ${hash}\n")
endforeach()
string(SHA256 version "${all}")
string(SUBSTRING ${version} 0 16 CAVE_SITE_VERSION)
list(JOIN entries "\n" CAVE_SITE_FILES)
configure_file(${TEMPLATE} ${OUT} @ONLY)

# What a server publishes of this folder: the site's files and the worker, one a line; the
# rest of the folder (the build's own files) is never served.
get_filename_component(out_dir ${OUT} DIRECTORY)
get_filename_component(out_name ${OUT} NAME)
list(APPEND FILES ${out_name})
list(JOIN FILES "\n" published)
file(WRITE ${out_dir}/site-files.txt "${published}\n")
