# Writes OUTPUT, a C++ source holding every BMP file of BITMAPS as a packed bitmap (the BMP
# without its 14-byte file header) under its file name, by which the resource table finds it.
set(body "")
set(table "")
set(index 0)

# The little-endian number of SIZE bytes at byte AT of the hex string HEX.
function(read_le hex at size out)
  set(value "")
  math(EXPR last "${size} - 1")
  foreach(i RANGE ${last})
    math(EXPR from "(${at} + ${last} - ${i}) * 2")
    string(SUBSTRING ${hex} ${from} 2 byte)
    string(APPEND value ${byte})
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

foreach(path IN LISTS BITMAPS)
  get_filename_component(name ${path} NAME)
  file(READ ${path} hex HEX)
  string(SUBSTRING ${hex} 0 4 magic)
  if(NOT magic STREQUAL "424d")
    message(FATAL_ERROR "${path} is not a BMP file")
  endif()
  # Packed, the pixels follow the colour table at once: a gap before them would shift every row.
  read_le(${hex} 10 4 pixelOffset)
  read_le(${hex} 28 2 bits)
  read_le(${hex} 46 4 colorsUsed)
  set(entries ${colorsUsed})
  if(entries EQUAL 0 AND bits LESS_EQUAL 8)
    math(EXPR entries "1 << ${bits}")
  endif()
  math(EXPR expected "54 + 4 * ${entries}")
  if(NOT pixelOffset EQUAL expected)
    message(FATAL_ERROR "${path}: its pixels begin at byte ${pixelOffset}, not ${expected} right behind its colour table")
  endif()
  string(SUBSTRING ${hex} 28 -1 hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes ${hex})
  string(APPEND body "alignas(4) const std::uint8_t kFile${index}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", kFile${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from resources/bitmaps by EmbedBitmaps.cmake; do not edit.
#include <iterator>

#include \"EmbeddedFiles.h\"

namespace zephyl {

namespace {

${body}
// The last entry only keeps the table non-empty while no bitmap exists yet.
const EmbeddedFile kTable[] = {
${table}    {{}, {}},
};

}  // namespace

std::span<const EmbeddedFile> EmbeddedFiles() { return {kTable, std::size(kTable) - 1}; }

}  // namespace zephyl
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
