# Writes the bytes of files as C++ arrays, for pictures compiled into a program.
#   cmake -DOUTPUT=out.inc -DINPUTS=name1=file1,name2=file2 -P embedFiles.cmake
# Each input becomes `static const unsigned char name[] = {...};`.
string(REPLACE "," ";" inputs "${INPUTS}")
set(text "// Written by the build from the rendered pictures of res/ (cmake/embedFiles.cmake).\n")
foreach(entry ${inputs})
  string(FIND "${entry}" "=" at)
  string(SUBSTRING "${entry}" 0 ${at} name)
  math(EXPR from "${at} + 1")
  string(SUBSTRING "${entry}" ${from} -1 file)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  if(digits EQUAL 0)
    message(FATAL_ERROR "embedFiles: ${file} is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(APPEND text "static const unsigned char ${name}[] = {\n${bytes}\n};\n")
endforeach()
# Rewritten only when the bytes change, so an unchanged picture rebuilds nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${text}" @ONLY)
