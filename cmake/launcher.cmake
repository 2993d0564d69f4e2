# The Win32 layer and TovaneQuillon.exe, for the shipped build
# (TQ_PRODUCT_ONLY) and, the layer alone, for the Windows test program.

file(GLOB TQ_WIN32_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp)
list(FILTER TQ_WIN32_SOURCES EXCLUDE REGEX "/(win_main|terminate_handler)\\.cpp$")
add_library(tq_win32 STATIC ${TQ_WIN32_SOURCES})
target_link_libraries(tq_win32 PUBLIC tq_launcher PRIVATE tq_warnings)
# Nothing here uses COM: ole32 must stay out (tests/resources/check_exe.py).
# oleaut32 (VarR8FromStr, the version check's locale-proof number reading)
# is loaded when the version is first read (win32_number_conversion.cpp).
target_link_libraries(tq_win32 PUBLIC advapi32 user32 gdi32)

if(NOT TQ_PRODUCT_ONLY)
  return()
endif()

# The resource compiler records no dependency on the files that the .rc
# pulls in, so regenerated artwork would not reach the executable.
file(GLOB TQ_RESOURCE_FILES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/resources/*.gif
  ${PROJECT_SOURCE_DIR}/resources/*.manifest
  ${PROJECT_SOURCE_DIR}/resources/icon/*)
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/TovaneQuillon.rc
  PROPERTIES OBJECT_DEPENDS "${TQ_RESOURCE_FILES}")

add_executable(TovaneQuillon WIN32 ${PROJECT_SOURCE_DIR}/platform/win32/win_main.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/win32/terminate_handler.cpp
                                   ${PROJECT_SOURCE_DIR}/resources/TovaneQuillon.rc)
target_link_libraries(TovaneQuillon PRIVATE tq_win32 tq_warnings)
# Sections that nothing refers to stay out of the program (--gc-sections);
# the link map is kept: the budget checks read what the program is made of.
# No time stamp in the PE header: two builds of one commit give the same
# bytes.
target_link_options(TovaneQuillon PRIVATE -municode -s -Wl,--gc-sections
                    -Wl,--no-insert-timestamp
                    -Wl,-Map=$<TARGET_FILE_DIR:TovaneQuillon>/TovaneQuillon.map)
# The executable's own protections, named rather than left to the linker's
# defaults (tests/resources/check_protections.py keeps them): relocatable
# at a random address (ASLR), data pages not executable (DEP), and no
# Terminal Server compatibility shims (the launcher writes nothing to the
# Windows folder or HKEY_LOCAL_MACHINE that would need them). The 64-bit
# build also takes the whole 64-bit address space for ASLR.
target_link_options(TovaneQuillon PRIVATE -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  target_link_options(TovaneQuillon PRIVATE -Wl,--high-entropy-va)
endif()
