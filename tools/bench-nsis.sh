# Sourced by the benchmarks: the NSIS script of the peer installer.
#   bench_nsi SCRIPT OUTPUT.exe FOLDER COMPRESSOR [TARGET]
#     writes SCRIPT, which installs every file of FOLDER into C:\bench\nsis; COMPRESSOR as
#     SetCompressor takes it ("zlib", "/SOLID lzma"); TARGET the stub (default x86-unicode,
#     amd64-unicode for a 64-bit installer)
bench_nsi() {
  cat > "$1" <<NSI
Unicode true
Target ${5:-x86-unicode}
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
