# cmake -DIN=file.res -DOUT=file.c -P KvEmbedResources.cmake
# Writes a C source holding the bytes of a compiled .res file that hands
# them to the platform layer's resource loader when the program starts.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" n)
math(EXPR size "${n} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "/* Generated from ${IN}: the program's compiled resources. */\n"
  "#include <stddef.h>\n"
  "void KvRegisterResources(const unsigned char* data, size_t size);\n"
  "static const unsigned char kv_resource_data[${size} + 1] = {\n${bytes}0};\n"
  "__attribute__((constructor)) static void kv_register_resources(void) {\n"
  "  KvRegisterResources(kv_resource_data, ${size});\n"
  "}\n")
