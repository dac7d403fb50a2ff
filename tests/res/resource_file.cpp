// Reads the resources of the built Tandemix.exe: the module itself and the raw resource bytes.
#include "tests/res/resource_file.h"

const char* TandemixPath() {
    return TANDEMIX_EXE_PATH;
}

HMODULE TandemixModule() {
    static HMODULE module = LoadLibraryExA(TandemixPath(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

RawResource FindRawResource(LPCSTR type, WORD id) {
    RawResource resource = {nullptr, 0};
    HRSRC found = FindResourceExA(TandemixModule(), type, MAKEINTRESOURCEA(id),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == NULL) {
        return resource;
    }
    HGLOBAL loaded = LoadResource(TandemixModule(), found);
    resource.bytes = static_cast<const unsigned char*>(LockResource(loaded));
    resource.size = resource.bytes != nullptr ? SizeofResource(TandemixModule(), found) : 0;
    return resource;
}

ResourceReader StartReading(const RawResource& resource) {
    return ResourceReader{resource.bytes, resource.size, 0, false};
}

WORD ReadWord(ResourceReader& reader) {
    if (reader.offset + 2 > reader.size) {
        reader.overrun = true;
        reader.offset = reader.size;
        return 0;
    }
    WORD value =
        static_cast<WORD>(reader.bytes[reader.offset] | reader.bytes[reader.offset + 1] << 8);
    reader.offset += 2;
    return value;
}

DWORD ReadDword(ResourceReader& reader) {
    DWORD low = ReadWord(reader);
    DWORD high = ReadWord(reader);
    return low | high << 16;
}

short ReadShort(ResourceReader& reader) {
    return static_cast<short>(ReadWord(reader));
}

std::string ReadWideString(ResourceReader& reader) {
    std::string text;
    for (;;) {
        WORD c = ReadWord(reader);
        if (c == 0) {
            return text;
        }
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
}

void SkipToDword(ResourceReader& reader) {
    while (reader.offset % 4 != 0 && reader.offset < reader.size) {
        ++reader.offset;
    }
}

NameOrOrdinal ReadNameOrOrdinal(ResourceReader& reader) {
    NameOrOrdinal field = {false, 0, std::string()};
    if (reader.offset + 2 <= reader.size && reader.bytes[reader.offset] == 0xFF &&
        reader.bytes[reader.offset + 1] == 0xFF) {
        ReadWord(reader);
        field.isOrdinal = true;
        field.ordinal = ReadWord(reader);
        return field;
    }
    field.name = ReadWideString(reader);
    return field;
}
