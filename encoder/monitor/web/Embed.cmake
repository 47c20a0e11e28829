# Writes the status page's files into a header as raw string literals, so that the encoder
# serves them from the binary and no installation can leave them out or out of date.
# Run as: cmake -DOUTPUT=WebPage.h -DINPUTS="a.html|b.css" -P Embed.cmake
set(text "#pragma once\n// Made by encoder/monitor/web/Embed.cmake from encoder/monitor/web; edit those files.\n")
string(APPEND text "#include <string_view>\nnamespace orvane::web {\n")
string(REPLACE "|" ";" INPUTS "${INPUTS}")
foreach(input IN LISTS INPUTS)
  file(READ "${input}" content)
  if(content MATCHES "\\)page\"")
    message(FATAL_ERROR "${input} holds the literal's end marker )page\"")
  endif()
  get_filename_component(name "${input}" NAME)
  string(MAKE_C_IDENTIFIER "${name}" id)
  string(APPEND text "inline constexpr std::string_view k_${id} = R\"page(${content})page\";\n")
endforeach()
string(APPEND text "}  // namespace orvane::web\n")
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
