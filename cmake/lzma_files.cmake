# The C files of the LZMA SDK's 7z decoder (in the 7-Zip source) that the
# program uses, as paths below VORLANE_LZMA_SRC. Shared by the Windows build and
# the native fuzz build (tests/fuzz/).
set(VORLANE_LZMA_FILES 7zAlloc.c 7zArcIn.c 7zBuf.c 7zCrc.c 7zCrcOpt.c 7zDec.c 7zStream.c
  Bcj2.c Bra.c Bra86.c BraIA64.c CpuArch.c Delta.c Lzma2Dec.c LzmaDec.c)
list(TRANSFORM VORLANE_LZMA_FILES PREPEND ${VORLANE_LZMA_SRC}/)
