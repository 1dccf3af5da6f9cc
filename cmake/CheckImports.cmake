# cmake -DOBJDUMP=... -DFILE=x.dll -P CheckImports.cmake
# Fails if the binary imports anything but system DLLs (in particular another deliverable
# or a compiler runtime DLL).
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${out}")
set(allowed KERNEL32.DLL USER32.DLL GDI32.DLL COMDLG32.DLL MSVCRT.DLL ADVAPI32.DLL SHELL32.DLL
            AVIFIL32.DLL MSVFW32.DLL WINMM.DLL)
set(bad "")
foreach(n IN LISTS names)
  string(REGEX REPLACE "^DLL Name: " "" dll "${n}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" up)
  list(FIND allowed "${up}" i)
  if(i EQUAL -1)
    list(APPEND bad "${dll}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "${FILE} imports non-system DLLs: ${bad}")
endif()
