# brindle_embed(target file symbol): compiles FILE into TARGET as
#   extern const unsigned char SYMBOL[]; extern const unsigned long SYMBOL_size;
# so that resources need no files at run time.
function(brindle_embed target file symbol)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYM=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
