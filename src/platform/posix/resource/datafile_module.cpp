// Windows module files opened as data (LoadLibraryExW with
// LOAD_LIBRARY_AS_DATAFILE): their resources, read with our own PE reader.
// The module keeps its own copy of the bytes its resources lie in (read once
// for each stretch of the file they cover, within a budget), so it neither
// keeps the file open nor sees later changes to it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <new>
#include <vector>

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

// What a module may read of its file: the parts of the resource tree the walk
// looks at, and the data of the resources. A file whose headers claim more
// (a sparse file of gigabytes) costs no more than this.
constexpr uint64_t kTreeBudget = 16u << 20;
constexpr uint64_t kDataBudget = 64u << 20;

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
        if (!image.HasResources())
            return ERROR_SUCCESS; // an image without resources
        std::vector<PalPeResourceEntry> entries;
        {
            PalFileReader tree(fd, fileSize, kTreeBudget);
            image.ReadResources(tree, entries);
        }
        // The data of the resources, read once for each stretch of the file
        // that they cover (resources may share bytes); those beyond the
        // budget are left out.
        std::vector<size_t> byOffset(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            byOffset[i] = i;
        std::sort(byOffset.begin(), byOffset.end(),
                  [&](size_t a, size_t b) { return entries[a].fileOffset < entries[b].fileOffset; });
        std::vector<const BYTE*> data(entries.size(), nullptr);
        uint64_t budget = kDataBudget;
        for (size_t first = 0; first < byOffset.size();) {
            uint64_t begin = entries[byOffset[first]].fileOffset;
            uint64_t end = begin + entries[byOffset[first]].size;
            size_t last = first + 1;
            for (; last < byOffset.size() && entries[byOffset[last]].fileOffset <= end; ++last)
                end = std::max(end, entries[byOffset[last]].fileOffset + entries[byOffset[last]].size);
            if (end - begin <= budget) {
                budget -= end - begin;
                m_blocks.emplace_back();
                PalFileBlock& block = m_blocks.back();
                block.offset = begin;
                block.bytes.resize(static_cast<size_t>(end - begin));
                if (!PalReadFileRange(fd, begin, block.bytes.data(), block.bytes.size()))
                    return ERROR_READ_FAULT;
                for (size_t k = first; k < last; ++k)
                    data[byOffset[k]] = block.At(entries[byOffset[k]].fileOffset, entries[byOffset[k]].size);
            }
            first = last;
        }
        // In the order of the tree, which decides among languages.
        for (size_t i = 0; i < entries.size(); ++i)
            if (data[i])
                AddResource(entries[i].type, entries[i].name, entries[i].language, data[i], entries[i].size);
        return ERROR_SUCCESS;
    }

private:
    std::deque<PalFileBlock> m_blocks; // the resources' bytes
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
