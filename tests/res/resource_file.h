// Reads the resources of the built Tandemix.exe: the module itself and the raw resource bytes.
#pragma once

#include <windows.h>
#include <string>

// Tandemix.exe mapped as a data file, once for the whole test program; NULL when it cannot be.
HMODULE TandemixModule();
const char* TandemixPath();

// The bytes of one resource of Tandemix.exe in language 1033; no bytes when it is missing.
struct RawResource {
    const unsigned char* bytes;
    DWORD size;
};
RawResource FindRawResource(LPCSTR type, WORD id);

// Walks a resource's little-endian fields in order. Reading past the end yields zeros and sets
// `overrun`, so a truncated resource fails its test instead of reading stray memory.
struct ResourceReader {
    const unsigned char* bytes;
    DWORD size;
    DWORD offset;
    bool overrun;
};
ResourceReader StartReading(const RawResource& resource);
WORD ReadWord(ResourceReader& reader);
DWORD ReadDword(ResourceReader& reader);
short ReadShort(ResourceReader& reader);
// A NUL-terminated UTF-16 string; characters outside ASCII come back as '?'.
std::string ReadWideString(ResourceReader& reader);
void SkipToDword(ResourceReader& reader);

// A field that is either 0xFFFF and an ordinal, or a string (empty for "none").
struct NameOrOrdinal {
    bool isOrdinal;
    WORD ordinal;
    std::string name;
};
NameOrOrdinal ReadNameOrOrdinal(ResourceReader& reader);
