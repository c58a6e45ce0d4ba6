# Sourced by the benchmarks: the NSIS script of the peer installer.
#   bench_nsi SCRIPT OUTPUT.exe FOLDER COMPRESSOR   writes SCRIPT, which installs every file of
#                                                   FOLDER into C:\bench\nsis; COMPRESSOR as
#                                                   SetCompressor takes it ("zlib", "/SOLID lzma")
bench_nsi() {
  cat > "$1" <<NSI
Name "Benchmark"
OutFile "$2"
SetCompressor $4
RequestExecutionLevel user
InstallDir "C:\\bench\\nsis"
Section
  SetOutPath "\$INSTDIR"
  File /r "$3/*"
SectionEnd
NSI
}
