# corvane_embed(TARGET name SYMBOL sym INPUT file)
# Turns a file into a C++ source that defines `extern const std::span<const unsigned char> sym`
# (in namespace corvane::embedded) and adds it to the target.
function(corvane_embed)
  cmake_parse_arguments(E "" "TARGET;SYMBOL;INPUT" "" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${E_SYMBOL}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND corvane-embed ${E_SYMBOL} ${E_INPUT} ${out}
    DEPENDS corvane-embed ${E_INPUT}
    COMMENT "Embedding ${E_SYMBOL}"
    VERBATIM)
  target_sources(${E_TARGET} PRIVATE ${out})
  # Each generated source names its array data_: in a unity build they would
  # clash, so each is compiled on its own.
  set_source_files_properties(${out} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()
