# Writes the site's service worker, sw.js, from sw.js.in: the name and SHA-256
# of every other file of the site, and the build's cache name made from them.
# First start.js, the page's loader, is given the version of the files it
# loads (the program, its WebAssembly and its data), so that a page asks for
# its own build's.
#   cmake -DSITE=DIR -DTEMPLATE=sw.js.in -P site_worker.cmake

# The packager names the pictures' package with a random UUID, which would
# change rotandor.js, and with it the cache name, at every build of the same
# source: it is made from the package's content instead.
file(READ ${SITE}/rotandor.js script)
set(random_uuid "\"package_uuid\": *\"[-0-9a-fA-F]+\"")
if(NOT script MATCHES "${random_uuid}")
  message(FATAL_ERROR "no package_uuid in ${SITE}/rotandor.js")
endif()
file(SHA256 ${SITE}/rotandor.data package)
string(UUID uuid NAMESPACE E53DD355-ECA6-4F0C-87F4-F183EBA96F5A NAME "rotandor.data ${package}" TYPE SHA1)
string(REGEX REPLACE "${random_uuid}" "\"package_uuid\": \"${uuid}\"" fixed "${script}")
if(NOT fixed STREQUAL script)
  file(WRITE ${SITE}/rotandor.js "${fixed}")
endif()

file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)

set(loaded "")
foreach(name IN LISTS names)
  if(NOT IS_DIRECTORY ${SITE}/${name} AND NOT name STREQUAL "start.js")
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND loaded "${name} ${hash}\n")
  endif()
endforeach()
string(SHA256 VERSION "${loaded}")
string(SUBSTRING ${VERSION} 0 16 VERSION)
file(READ ${SITE}/start.js page)
string(REGEX REPLACE "var VERSION = \"[^\"]*\"" "var VERSION = \"${VERSION}\"" versioned "${page}")
if(NOT versioned STREQUAL page)
  file(WRITE ${SITE}/start.js "${versioned}")
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
