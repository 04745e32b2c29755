#include "testkit/MaxBook.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "files/AtomicFile.h"

namespace max_book {

namespace {

// Windows-1251 from UTF-8 for the letters used below: the Cyrillic А..я block maps to 0xC0..0xFF and
// ASCII stays as it is. Keeps the name tables readable in the source.
std::string ToWindows1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80 || i + 1 == utf8.size()) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        const unsigned code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (code >= 0x410 && code <= 0x44F) {
            out.push_back(static_cast<char>(code - 0x410 + 0xC0));
        } else {
            out.push_back(code == 0x401 ? '\xA8' : code == 0x451 ? '\xB8' : '?');  // Ё, ё
        }
    }
    return out;
}

// A small deterministic generator, so that every run measures the same book.
class Sequence {
public:
    std::uint32_t Next(std::uint32_t bound) {
        FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(FState >> 33) % bound;
    }

private:
    std::uint64_t FState = 0x51A7'0C0D'E5EEDULL;
};

struct Function {
    std::string_view Domestic;  // the function part of a domestic name, as in К155ЛА3
    std::string_view Foreign;   // the number of its 74-series counterpart, as in SN74LS00
    std::string_view Folder;
};

constexpr std::array kFunctions{
    Function{"ЛА3", "00", "TTL"},
    Function{"ЛА1", "20", "TTL"},
    Function{"ЛЕ1", "02", "TTL"},
    Function{"ЛИ1", "08", "TTL"},
    Function{"ЛН1", "04", "TTL"},
    Function{"ТМ2", "74", "TTL\\Триггеры"},
    Function{"ИЕ7", "193", "TTL\\Счётчики"},
    Function{"ИР23", "374", "TTL\\Регистры"},
    Function{"КП7", "151", "TTL\\Мультиплексоры"},
    Function{"ИД3", "154", "TTL\\Дешифраторы"},
    Function{"АП5", "244", "TTL\\Буферы"},
    Function{"ЛП5", "86", "TTL"},
};
constexpr std::array<std::string_view, 6> kDomesticSeries{"К155",  "КР1533", "КМ555",
                                                          "КР531", "К555",   "ЭКР1533"};
constexpr std::array<std::string_view, 6> kForeignSeries{"SN74LS", "SN74ALS", "DM74",
                                                         "SN74HC", "MC74F",   "HD74LS"};

std::string Lower(std::string text) {
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return text;
}

// One test file and its four analogs, appended as book lines.
void AppendEntry(std::string& out, std::size_t position, std::size_t analogs, Sequence& random) {
    const Function& function = kFunctions[random.Next(kFunctions.size())];
    const std::string variant = std::to_string(position);
    const std::string domestic = ToWindows1251(
        std::string(kDomesticSeries[random.Next(kDomesticSeries.size())]) + std::string(function.Domestic));
    const std::string folder = ToWindows1251(function.Folder);

    out.append(" ").append(std::to_string(position)).append(" ");
    if (position % 10 == 9) {
        out.append("D:\\Tests misc\\").append(ToWindows1251("Старые")).append("\\").append(domestic);
        out.append("_").append(variant).append(".wsk\r\n");
    } else {
        out.append("<Tests>:\\").append(folder).append("\\").append(domestic).append("_").append(variant);
        out.append(".qor\r\n");
    }
    for (std::size_t k = 0; k < analogs; ++k) {
        const bool isDomestic = k % 2 == 0;
        std::string name;
        if (isDomestic) {
            name = ToWindows1251(std::string(kDomesticSeries[random.Next(kDomesticSeries.size())]) +
                                 std::string(function.Domestic));
        } else {
            name = std::string(kForeignSeries[random.Next(kForeignSeries.size())]) +
                   std::string(function.Foreign);
        }
        out.append(name).append("|");
        switch (random.Next(8)) {
            case 0:
            case 1:
                break;  // no description file
            case 2:
                out.append("D:\\Datasheets\\")
                    .append(Lower(std::string(kForeignSeries[0])))
                    .append(function.Foreign);
                out.append("_").append(variant).append(".pdf");
                break;
            default:
                out.append("<Desc>:\\").append(folder).append("\\").append(isDomestic ? "ds_k" : "ds_sn");
                out.append(function.Foreign).append("_").append(variant).append(".pdf");
                break;
        }
        out.append("\r\n");
    }
}

}  // namespace

std::string MakeText() {
    constexpr std::size_t kAnalogs = 4;
    std::string out;
    out.reserve(4 << 20);
    Sequence random;
    std::size_t lines = 0;
    for (std::size_t position = 0; lines < kLines; ++position) {
        // The last test file takes whatever lines are left, so the count comes out exact.
        const std::size_t analogs = std::min(kAnalogs, kLines - lines - 1);
        AppendEntry(out, position, analogs, random);
        lines += 1 + analogs;
    }
    return out;
}

std::error_code Write(const std::filesystem::path& path) {
    return WriteFileAtomically(path, MakeText());
}

}  // namespace max_book
