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
