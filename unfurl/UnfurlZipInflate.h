// UnfurlZipInflate: the installer's DEFLATE decoder (RFC 1951) and CRC-32.
// Decodes one archive entry straight from ArchiveFile into OutFile and keeps the CRC-32
// of every byte it writes. Reads and writes go through the ZipIO seam so the same
// decoder runs on Windows file handles, host file descriptors or memory.
#ifndef UNFURLZIPINFLATE_H
#define UNFURLZIPINFLATE_H

#include <stdint.h>

// ---- I/O seam ----------------------------------------------------------------------

// A file as the seam sees it: a HANDLE in the Windows build, a file descriptor on the
// host, a TZipMemFile pointer with the memory binding. -1 means no file.
typedef intptr_t TZipHandle;

// Seek methods (same values as FILE_BEGIN, FILE_CURRENT, FILE_END).
enum { ZIP_SEEK_BEGIN = 0, ZIP_SEEK_CURRENT = 1, ZIP_SEEK_END = 2 };

struct TZipIO {
    // Up to ACount bytes into ABuf; answers the count read (0 at end of file or on failure).
    int32_t (*Read)(TZipHandle AFile, void *ABuf, int32_t ACount);
    // ACount bytes from ABuf; answers the count written (less than ACount on failure).
    int32_t (*Write)(TZipHandle AFile, const void *ABuf, int32_t ACount);
    // Moves the file position; answers the new position from the start, or -1.
    int64_t (*Seek)(TZipHandle AFile, int64_t ADistance, int AMethod);
};

// The binding the decoder (and the archive walk) uses. Starts as ZipFileIO.
extern TZipIO ZipIO;
// Platform files: ReadFile/WriteFile/SetFilePointer on Windows, read/write/lseek on the host.
extern const TZipIO ZipFileIO;
// Memory files: handles are TZipMemFile pointers (cast to TZipHandle).
extern const TZipIO ZipMemIO;

// A file in memory: a borrowed read-only view (ZipMemOpen) or a buffer that grows as it
// is written (ZipMemCreate). Writes past a read-only view fail.
struct TZipMemFile {
    uint8_t *Data;
    int64_t Size;      // bytes held
    int64_t Pos;       // next byte read or written
    int64_t Cap;       // allocated bytes; 0 for a borrowed view
    int32_t Reads;     // calls of Read and Write, for callers that check the block pattern
    int32_t Writes;
};
void ZipMemOpen(TZipMemFile &F, const void *AData, int64_t ASize);
void ZipMemCreate(TZipMemFile &F);
void ZipMemFree(TZipMemFile &F);       // releases an owned buffer; the record becomes empty
inline TZipHandle ZipMemHandle(TZipMemFile &F) { return (TZipHandle)&F; }

// ---- State shared with the archive walk ---------------------------------------------

extern TZipHandle ArchiveFile;     // read handle, positioned at the entry data by the walk
extern TZipHandle OutFile;         // write handle of the file being extracted
extern int32_t CompressedLeft;     // entry data bytes not yet read from ArchiveFile
extern uint32_t Crc;               // CRC-32 register: 0xFFFFFFFF before the entry, compare ~Crc
extern uint32_t *CrcTable;         // 256 entries; BuildCrcTable points it at the unit's block if 0
// Bytes the current entry may still write (its declared uncompressed size), -1 for no bound.
// A write that would go past it is a data error: a damaged or hostile entry cannot fill the
// disk before its CRC is compared.
extern int64_t OutLeft;

// Writes ACount bytes of ABuf to OutFile and adds what was written to Crc. INFLATE_DATA_ERROR
// (nothing written) when ACount exceeds OutLeft, INFLATE_WRITE_FAILED when OutFile took
// fewer bytes.
int WriteOutput(const uint8_t *ABuf, int32_t ACount);

// ---- CRC-32 (ZIP form, reflected polynomial 0xEDB88320) ------------------------------

void BuildCrcTable();
// Adds ALen bytes to ACrc (no effect for ALen <= 0). Builds the table on first use.
void UpdateCrc(const void *ABuf, int32_t ALen, uint32_t &ACrc);

// ---- Decoder ------------------------------------------------------------------------

// Results of the decoder's routines.
enum {
    INFLATE_OK = 0,
    INFLATE_DATA_ERROR = 1,      // also: an incomplete code set from BuildCodeTable
    INFLATE_OVERSUBSCRIBED = 2,  // over-subscribed code set
    INFLATE_NO_MEMORY = 3,
    INFLATE_WRITE_FAILED = 4     // OutFile took fewer bytes than given; decoding stopped
};

// Decodes the entry's CompressedLeft bytes from ArchiveFile into OutFile: writes of 32,768
// bytes and one final shorter write (WriteOutput), Crc updated over every byte written. Reads at most
// CompressedLeft bytes, in reads of up to 32,768. Answers the result; a failure ends the
// entry quietly (bytes still in the window are not written), which then fails the CRC check.
// Crc covers the bytes OutFile reports written, so a failed write also fails that check.
int InflateEntry();

// One entry of a lookup table. Op: 0..13 length/distance base in Value with Op extra
// bits; 15 end of block; 16 literal in Value; 17..31 sub-table in Next indexed by the next
// Op - 16 bits; 99 invalid code. Bits: bits used at this table's level.
struct TCodeEntry {
    uint8_t Op;
    uint8_t Bits;
    uint16_t Value;
    TCodeEntry *Next;
};
enum { OP_END_OF_BLOCK = 15, OP_LITERAL = 16, OP_INVALID = 99 };

// Builds the lookup tables of a canonical Huffman code. AB: ANum code lengths (0..16);
// symbols below ASimple are literals (256 is the end of block), the others take base and
// extra-bit count from ABase/AExtra[symbol - ASimple]. ARootBits: requested root width in,
// actual root width out (0 when every length is 0). ARoot gets the root table (0 when no
// codes), AChain the head of the chain of every table built (for FreeCodeTables).
// Answers 0, 1 (incomplete code, unless the longest code has 1 bit), 2 or 3.
int BuildCodeTable(const uint16_t *AB, int ANum, int ASimple, const uint16_t *ABase,
                   const uint8_t *AExtra, int &ARootBits, TCodeEntry *&ARoot,
                   TCodeEntry *&AChain);
void FreeCodeTables(TCodeEntry *AChain);

#endif
