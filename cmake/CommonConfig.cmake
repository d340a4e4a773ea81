# Shared compile settings: every target links packshelf_warnings.
add_library(packshelf_warnings INTERFACE)
target_compile_options(packshelf_warnings INTERFACE -Wall -Wextra)
if(PACKSHELF_WERROR)
    target_compile_options(packshelf_warnings INTERFACE -Werror)
endif()

set(PACKSHELF_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined or thread")
if(PACKSHELF_SANITIZE)
    add_compile_options(-fsanitize=${PACKSHELF_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=${PACKSHELF_SANITIZE})
endif()

# Optimised builds get the hardening a distribution's packages carry: checked
# buffer functions and a read-only table of resolved symbols.
if(NOT PACKSHELF_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    add_compile_definitions(_FORTIFY_SOURCE=2)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
