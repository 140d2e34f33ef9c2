# The 7z decoder from the LZMA SDK's C sources, fetched by scripts/bootstrap into .deps/.
set(ZAV3D_LZMA_DIR "${CMAKE_SOURCE_DIR}/.deps/lzma/C" CACHE PATH "LZMA SDK C sources")
# 7zDec.c decodes copy, LZMA (LzmaDec.c), LZMA2 (Lzma2Dec.c), BCJ2 (Bcj2.c) and,
# unless Z7_NO_METHODS_FILTERS is defined, every branch filter: x86 (Bra86.c),
# ARM, ARMT, ARM64, PPC, SPARC, RISC-V (Bra.c), IA64 (BraIA64.c) and Delta
# (Delta.c). PPMd stays out (Z7_PPMD_SUPPORT undefined): such archives give
# SZ_ERROR_UNSUPPORTED.
set(_lzma_sources 7zArcIn.c 7zDec.c 7zFile.c 7zStream.c 7zCrc.c 7zCrcOpt.c 7zAlloc.c 7zBuf.c
    Bcj2.c Bra.c Bra86.c BraIA64.c CpuArch.c Delta.c Lzma2Dec.c LzmaDec.c)
foreach(f IN LISTS _lzma_sources)
  if(NOT EXISTS "${ZAV3D_LZMA_DIR}/${f}")
    message(FATAL_ERROR "LZMA SDK source ${ZAV3D_LZMA_DIR}/${f} is missing: run scripts/bootstrap")
  endif()
endforeach()
list(TRANSFORM _lzma_sources PREPEND "${ZAV3D_LZMA_DIR}/")
add_library(lzma_sdk STATIC ${_lzma_sources})
target_include_directories(lzma_sdk SYSTEM PUBLIC "${ZAV3D_LZMA_DIR}")
# Third-party code: keep its warnings out of our warnings-as-errors build.
target_compile_options(lzma_sdk PRIVATE -w)
# Single-threaded: the decoder runs on the download worker alone.
target_compile_definitions(lzma_sdk PRIVATE _7ZIP_ST Z7_ST)
