# The intro as a static web page, built with emscripten by scripts/build-web.sh
# into build-web/. Only what the page needs is built here; the programs that
# run at build time (the embedding tool, the art and music makers) and their
# outputs come from a native build in CORVANE_HOST_BUILD_DIR, and the module
# player's library built for the page from CORVANE_LIBOPENMPT_PREFIX.
foreach(required CORVANE_HOST_BUILD_DIR CORVANE_LIBOPENMPT_PREFIX)
  if(NOT ${required})
    message(FATAL_ERROR "The page is built by scripts/build-web.sh ( ${required} is not set)")
  endif()
endforeach()

include(cmake/Embed.cmake)
set(CORVANE_HOST_EMBED ${CORVANE_HOST_BUILD_DIR}/tools/embed/corvane-embed)
# Same as the native corvane_embed, with the native embedding tool.
function(corvane_embed)
  cmake_parse_arguments(E "" "TARGET;SYMBOL;INPUT" "" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${E_SYMBOL}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CORVANE_HOST_EMBED} ${E_SYMBOL} ${E_INPUT} ${out}
    DEPENDS ${CORVANE_HOST_EMBED} ${E_INPUT}
    COMMENT "Embedding ${E_SYMBOL}"
    VERBATIM)
  target_sources(${E_TARGET} PRIVATE ${out})
endfunction()

set(CORVANE_ART_BLOCKS_DIR ${CORVANE_HOST_BUILD_DIR}/assets/art)
add_custom_target(corvane_art_blocks)
add_custom_target(corvane_module)
set_target_properties(corvane_module PROPERTIES CORVANE_MODULE_FILE ${CORVANE_HOST_BUILD_DIR}/assets/Module.MOD)

# Exceptions are part of the framework's error handling (the standard error
# box); the frame loop and the message box wait for the browser with Asyncify.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

add_subdirectory(platform)
add_subdirectory(framework)
add_subdirectory(graphics)
add_subdirectory(music)
add_subdirectory(player)
add_subdirectory(assets)
add_subdirectory(intro)
