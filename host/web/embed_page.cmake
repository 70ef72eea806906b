# Writes OUTPUT, a C++ file holding each page file as bytes and the table that FindPageAsset reads.
# Run as a script: cmake -DOUTPUT=... -DPAGE_DIR=... -P embed_page.cmake
set(assets "index.html|/|text/html" "dashboard.css|/dashboard.css|text/css" "dashboard.js|/dashboard.js|text/javascript")
set(arrays "")
set(table "")
set(index 0)
foreach(asset IN LISTS assets)
  string(REPLACE "|" ";" asset "${asset}")
  list(GET asset 0 file)
  list(GET asset 1 path)
  list(GET asset 2 type)
  file(READ ${PAGE_DIR}/${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char kAsset${index}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${path}\", \"${type}; charset=utf-8\", std::string_view(reinterpret_cast<const char*>(kAsset${index}), ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Generated from host/web/page/ by embed_page.cmake.
#include \"host/web/page_assets.h\"

namespace vesk_host {

namespace {

${arrays}
const PageAsset kAssets[] = {
${table}};

}  // namespace

const PageAsset* FindPageAsset(std::string_view path) {
  for (const PageAsset& asset : kAssets) {
    if (asset.path == path) {
      return &asset;
    }
  }
  return nullptr;
}

}  // namespace vesk_host
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
