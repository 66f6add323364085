# Writes a compiled gettext catalog (.mo) into a C++ source as a byte array, so that the
# program carries its translations inside itself.
# cmake -DINPUT=de.mo -DOUTPUT=catalog_de.cpp -DNAME=kGermanCatalog -P EmbedCatalog.cmake
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "#include <cstdint>\nnamespace duskline {\n"
     "extern const unsigned char ${NAME}[];\nextern const uint32_t ${NAME}Size;\n"
     "const unsigned char ${NAME}[] = {\n${bytes}0};\nconst uint32_t ${NAME}Size = ${size};\n}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
