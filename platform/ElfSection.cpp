#include "platform/ElfSection.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

// The parts of the ELF header and of a section header that the lookup needs, at their offsets for each
// class (32- and 64-bit); all little-endian.
struct Layout {
    std::size_t HeaderSize;
    std::size_t SectionHeadersOffset;  // e_shoff
    std::size_t SectionHeaderSizeField;  // e_shentsize; e_shnum and e_shstrndx follow it
    std::size_t SectionHeaderSize;
    std::size_t AddressSize;  // of e_shoff, sh_offset and sh_size
    std::size_t SectionOffsetField;  // sh_offset; sh_size follows it
};
constexpr Layout kElf32{52, 32, 46, 40, 4, 16};
constexpr Layout kElf64{64, 40, 58, 64, 8, 24};

constexpr std::uint32_t kNoBits = 8;  // SHT_NOBITS: a section that takes no bytes in the file
constexpr std::uint16_t kFirstReservedIndex = 0xFF00;  // SHN_LORESERVE: indices from here on mean other things
constexpr std::size_t kMaxSectionSize = std::size_t{1} << 20;

std::uint64_t Little(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

struct Section {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

Section SectionAt(std::string_view headers, std::size_t index, const Layout& layout) {
    const std::size_t at = index * layout.SectionHeaderSize;
    Section section;
    section.Name = static_cast<std::uint32_t>(Little(headers, at, 4));
    section.Type = static_cast<std::uint32_t>(Little(headers, at + 4, 4));
    section.Offset = Little(headers, at + layout.SectionOffsetField, layout.AddressSize);
    section.Size = Little(headers, at + layout.SectionOffsetField + layout.AddressSize, layout.AddressSize);
    return section;
}

std::optional<std::string> Bytes(const ReadAt& read, const Section& section) {
    if (section.Type == kNoBits || section.Size > kMaxSectionSize) {
        return std::nullopt;
    }
    std::string bytes;
    if (!read(section.Offset, static_cast<std::size_t>(section.Size), bytes)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::string> FindElfSection(const ReadAt& read, std::string_view name) {
    std::string header;
    if (!read(0, kElf32.HeaderSize, header) || header.compare(0, 4, "\x7F" "ELF") != 0 || header[5] != 1) {
        return std::nullopt;  // not ELF, or big-endian
    }
    const Layout* layout = header[4] == 1 ? &kElf32 : header[4] == 2 ? &kElf64 : nullptr;
    if (layout == nullptr || (layout == &kElf64 && !read(0, kElf64.HeaderSize, header))) {
        return std::nullopt;
    }
    const std::uint64_t tableOffset = Little(header, layout->SectionHeadersOffset, layout->AddressSize);
    const std::size_t entrySize = Little(header, layout->SectionHeaderSizeField, 2);
    const std::size_t count = Little(header, layout->SectionHeaderSizeField + 2, 2);
    const std::size_t namesIndex = Little(header, layout->SectionHeaderSizeField + 4, 2);
    // A count of 0 or a names index of SHN_XINDEX means more sections than the header can say: such a file
    // is not one the build makes, and the caller looks for the record the slow way.
    if (tableOffset == 0 || entrySize != layout->SectionHeaderSize || count == 0 || namesIndex >= count ||
        namesIndex >= kFirstReservedIndex) {
        return std::nullopt;
    }
    std::string headers;
    if (!read(tableOffset, count * entrySize, headers)) {
        return std::nullopt;
    }
    const auto names = Bytes(read, SectionAt(headers, namesIndex, *layout));
    if (!names) {
        return std::nullopt;
    }
    for (std::size_t index = 1; index < count; ++index) {
        const Section section = SectionAt(headers, index, *layout);
        // The name must end inside the table of names, with its terminating zero.
        if (section.Name < names->size() && names->compare(section.Name, name.size(), name) == 0 &&
            section.Name + name.size() < names->size() && (*names)[section.Name + name.size()] == '\0') {
            return Bytes(read, section);
        }
    }
    return std::nullopt;
}

std::optional<std::string> FindElfSectionInBytes(std::string_view file, std::string_view name) {
    return FindElfSection(
        [file](std::uint64_t offset, std::size_t size, std::string& out) {
            if (offset > file.size() || size > file.size() - offset) {
                return false;
            }
            out.assign(file.substr(static_cast<std::size_t>(offset), size));
            return true;
        },
        name);
}

std::optional<std::string> FindElfSectionInFile(const std::filesystem::path& path, std::string_view name) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    auto found = FindElfSection(
        [fd](std::uint64_t offset, std::size_t size, std::string& out) {
            out.assign(size, '\0');
            std::size_t done = 0;
            while (done < size) {
                const ssize_t got = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                if (got <= 0) {
                    return false;
                }
                done += static_cast<std::size_t>(got);
            }
            return true;
        },
        name);
    ::close(fd);
    return found;
}

}  // namespace platform
