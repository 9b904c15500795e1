// The process-wide file layer and the C-library-like functions that reach it.
#include "files/PakInterface.h"

#include <memory>

namespace ravix {

// Created during static initialisation, before main, and never destroyed, so that files can be
// read until the process ends. Being the first instance, it fills the slot.
PakInterface* gPakInterface = new PakInterface;

namespace {

// Without an instance every file is a C library stream; null when there is none.
std::FILE* StreamOf(PakFile* file) {
    return file ? file->mStream : nullptr;
}

} // namespace

PakFile* pak_fopen(const char* name, const char* mode) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->OpenFile(name, mode);
    return PakFile::OpenOnDisk(name, mode);
}

int pak_fclose(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->CloseFile(file);
    if (!file)
        return EOF;
    int result = StreamOf(file) ? std::fclose(StreamOf(file)) : EOF;
    delete file;
    return result;
}

int pak_fseek(PakFile* file, long offset, int origin) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->SeekFile(file, offset, origin);
    return StreamOf(file) ? std::fseek(StreamOf(file), offset, origin) : -1;
}

long pak_ftell(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->TellFile(file);
    return StreamOf(file) ? std::ftell(StreamOf(file)) : -1;
}

size_t pak_fread(void* buffer, size_t elementSize, size_t count, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadBytes(buffer, elementSize, count, file);
    return StreamOf(file) ? std::fread(buffer, elementSize, count, StreamOf(file)) : 0;
}

int pak_fgetc(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadChar(file);
    return StreamOf(file) ? std::fgetc(StreamOf(file)) : EOF;
}

int pak_ungetc(int character, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->UnreadChar(character, file);
    return StreamOf(file) ? std::ungetc(character, StreamOf(file)) : EOF;
}

int pak_feof(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->AtEnd(file);
    return StreamOf(file) ? std::feof(StreamOf(file)) : 1;
}

char* pak_fgets(char* buffer, int length, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadLine(buffer, length, file);
    return StreamOf(file) ? std::fgets(buffer, length, StreamOf(file)) : nullptr;
}

// Without an instance a search covers the disk only.
PakFindHandle pak_FindFirstFile(const char* pattern, FindFileData* data) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->FindFirstFile(pattern, data);
    if (!pattern || !data)
        return nullptr;
    auto find = std::make_unique<PakFindState>();
    find->mOnDisk = true;
    if (!find->mDisk.Start(pattern, data))
        return nullptr;
    return find.release();
}

bool pak_FindNextFile(PakFindHandle handle, FindFileData* data) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->FindNextFile(handle, data);
    return handle && data && handle->mDisk.Next(data);
}

bool pak_FindClose(PakFindHandle handle) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->FindClose(handle);
    delete handle;
    return true;
}

} // namespace ravix
