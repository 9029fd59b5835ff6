# Writes OUT: a C++ source holding the bytes of DIR/preview.png, dialog.png
# and icon.png as arrays, for Pictures.cpp. Run with cmake -P.
set(text "// Made at build time from the interface pictures by EmbedPictures.cmake.\n")
string(APPEND text "#include <cstddef>\n#include <cstdint>\n\nnamespace ui {\n")
foreach(name preview dialog icon)
  file(READ "${DIR}/${name}.png" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Some 24 bytes a line.
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
  string(APPEND text "extern const uint8_t EmbeddedPicture_${name}[${size}] = {\n${bytes}};\n")
  string(APPEND text "extern const size_t EmbeddedPictureSize_${name} = ${size};\n")
endforeach()
string(APPEND text "} // namespace ui\n")
file(WRITE "${OUT}.tmp" "${text}")
file(RENAME "${OUT}.tmp" "${OUT}")
