; The peer of first_paint_bench: a small native-control installer of the
; usual kind (Modern UI 2: a licence page with a few KB of text, a header
; bitmap, a directory page), built by bench/CMakeLists.txt with makensis.
; It is only ever started and ended: its one section installs nothing.
;   makensis -DTARGET=amd64-unicode|x86-unicode -DOUTFILE=... -DLICENCE=... nsis_peer.nsi
Unicode true
Target ${TARGET}
!include "MUI2.nsh"

Name "Sample Product"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Sample Product"
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "${NSISDIR}\Contrib\Graphics\Header\nsis3-metro.bmp"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section
SectionEnd
