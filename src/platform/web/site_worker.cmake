# Writes the site's service worker, sw.js, from sw.js.in: the name and SHA-256
# of every other file of the site, and the build's cache name made from them.
# First index.html is given the version of the files it loads (the program,
# its WebAssembly and its data), so that a page asks for its own build's.
#   cmake -DSITE=DIR -DTEMPLATE=sw.js.in -P site_worker.cmake
file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)

set(loaded "")
foreach(name IN LISTS names)
  if(NOT IS_DIRECTORY ${SITE}/${name} AND NOT name STREQUAL "index.html")
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND loaded "${name} ${hash}\n")
  endif()
endforeach()
string(SHA256 VERSION "${loaded}")
string(SUBSTRING ${VERSION} 0 16 VERSION)
file(READ ${SITE}/index.html page)
string(REGEX REPLACE "var VERSION = \"[^\"]*\"" "var VERSION = \"${VERSION}\"" versioned "${page}")
if(NOT versioned STREQUAL page)
  file(WRITE ${SITE}/index.html "${versioned}")
endif()

set(entries "")
set(all "")
foreach(name IN LISTS names)
  if(NOT IS_DIRECTORY ${SITE}/${name})
    file(SHA256 ${SITE}/${name} hash)
    list(APPEND entries "  \"${name}\": \"${hash}\"")
    string(APPEND all "${name} ${hash}\n")
  endif()
endforeach()
list(JOIN entries ",\n" entries)
set(FILES "{\n${entries}\n}")
string(SHA256 build "${all}")
string(SUBSTRING ${build} 0 16 build)
# The version first: a page's files are found by it in any build's cache.
set(BUILD "${VERSION}-${build}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
