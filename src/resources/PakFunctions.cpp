// The process-wide file layer and the C-library-like functions that reach it.
#include "resources/PakInterface.h"

#include <memory>

namespace ravix {

// Created during static initialisation, before main, and never destroyed, so that files can be
// read until the process ends. Being the first instance, it fills the slot.
PakInterface* gPakInterface = new PakInterface;

PakFile* pak_fopen(const char* name, const char* mode) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->OpenFile(name, mode);
    return PakFile::OpenOnDisk(name, mode);
}

// Without an instance every file is a C library stream.
int pak_fclose(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->CloseFile(file);
    if (!file)
        return EOF;
    int result = std::fclose(file->mStream);
    delete file;
    return result;
}

int pak_fseek(PakFile* file, long offset, int origin) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->SeekFile(file, offset, origin);
    return file ? std::fseek(file->mStream, offset, origin) : -1;
}

long pak_ftell(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->TellFile(file);
    return file ? std::ftell(file->mStream) : -1;
}

size_t pak_fread(void* buffer, size_t elementSize, size_t count, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadBytes(buffer, elementSize, count, file);
    return file ? std::fread(buffer, elementSize, count, file->mStream) : 0;
}

int pak_fgetc(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadChar(file);
    return file ? std::fgetc(file->mStream) : EOF;
}

int pak_ungetc(int character, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->UnreadChar(character, file);
    return file ? std::ungetc(character, file->mStream) : EOF;
}

int pak_feof(PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->AtEnd(file);
    return file ? std::feof(file->mStream) : 1;
}

char* pak_fgets(char* buffer, int length, PakFile* file) {
    if (PakInterfaceBase* pak = gPakInterfaceSlot)
        return pak->ReadLine(buffer, length, file);
    return file ? std::fgets(buffer, length, file->mStream) : nullptr;
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
