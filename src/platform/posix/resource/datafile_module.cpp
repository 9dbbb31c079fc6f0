// Windows module files opened as data (LoadLibraryExW with
// LOAD_LIBRARY_AS_DATAFILE): their resources, read with our own PE reader.
// The module keeps its own copy of the part of the file its resources lie in
// (the resource section, or the whole file when a resource lies outside that
// section), so it neither keeps the file open nor sees later changes to it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <new>

#include "kernel/errno_map.h"
#include "resource/pe_image.h"
#include "resource/resource_module.h"

namespace {

// The errors of Windows for a file that is not a module image, and for an
// empty file.
constexpr DWORD kErrorBadExeFormat = 193;
constexpr DWORD kErrorFileInvalid = 1006;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads the file range [offset, offset + size) into the block; false when the
// file does not hold it all.
bool ReadBlock(int fd, uint64_t offset, uint64_t size, PalFileBlock& block)
{
    if (size > SIZE_MAX)
        return false;
    block.offset = offset;
    block.bytes.assign(static_cast<size_t>(size), 0);
    return PalReadFileRange(fd, offset, block.bytes.data(), static_cast<size_t>(size));
}

class PalDataFileModule : public PalModule {
public:
    PalDataFileModule() : PalModule(Kind::DataFile) {}

    // A data file is not a loaded module: GetModuleFileNameW knows no name.
    bool FilePath(std::string&) const override { return false; }

    // Reads the resources of the image in the file; ERROR_SUCCESS or the error.
    DWORD Load(int fd, uint64_t fileSize)
    {
        PalPeImage image;
        if (!image.ReadHeaders(fd, fileSize))
            return kErrorBadExeFormat;
        uint64_t sectionOffset = 0, sectionSize = 0;
        if (!image.ResourceSection(sectionOffset, sectionSize))
            return ERROR_SUCCESS; // an image without resources
        if (!ReadBlock(fd, sectionOffset, sectionSize, m_block))
            return ERROR_READ_FAULT;

        std::vector<PalPeResourceEntry> entries;
        image.ReadResources(m_block, entries);
        for (const PalPeResourceEntry& entry : entries) {
            if (!m_block.At(entry.fileOffset, entry.size)) {
                // A resource outside the resource section: keep the whole file.
                if (!ReadBlock(fd, 0, fileSize, m_block))
                    return ERROR_READ_FAULT;
                break;
            }
        }
        for (const PalPeResourceEntry& entry : entries)
            if (const BYTE* data = m_block.At(entry.fileOffset, entry.size))
                AddResource(entry.type, entry.name, entry.language, data, entry.size);
        return ERROR_SUCCESS;
    }

private:
    PalFileBlock m_block;
};

} // namespace

PalModule* PalOpenDataFileModule(const std::string& path)
{
    // Non-blocking, so that a FIFO cannot hold the caller; only regular files
    // are read.
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        // A missing file is not found, whether its folder exists or not.
        int error = errno;
        SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_FILE_NOT_FOUND : PalErrnoToWin32(error));
        return nullptr;
    }
    struct stat info;
    if (fstat(file.Get(), &info) != 0) {
        PalSetLastErrorFromErrno(errno);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (info.st_size == 0) {
        SetLastError(kErrorFileInvalid);
        return nullptr;
    }
    try {
        std::unique_ptr<PalDataFileModule> module(new PalDataFileModule());
        DWORD error = module->Load(file.Get(), static_cast<uint64_t>(info.st_size));
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return nullptr;
        }
        return module.release();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
