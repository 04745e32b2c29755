// The book core against plain C++ doing the least the same job needs, measured in the same run on the
// same generated maximal book, so that the ratios hold on any machine.
//
//   anchor_read          std::ifstream + std::getline into a std::vector<std::string>
//   read_into_model      sprav_file::Load into a fresh TSprav; the model is destroyed inside the timing,
//                        as the anchor's vector is
//   read_into_model_keep the same with the model's destruction left out of the timing
//   anchor_write         the formatted book's bytes, one std::ofstream::write, close
//   anchor_write_fsync   the same bytes written to a temporary file beside the target, fsync, rename and
//                        fsync of the folder: what a durable replacement costs at the least
//   format_book          sprav_file::Format alone (model to bytes in memory)
//   write_book           sprav_file::Save: format, temporary file, fsync, rename, fsync of the folder
//   anchor_write_csv     the table's bytes written as anchor_write_fsync writes the book's
//   export_csv           csv_export::Save: the table built from the model and replaced as the book is
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/CsvExport.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "testkit/MaxBook.h"

namespace {

const ServiceDirectories kDirs{"C:\\Tests", "C:\\Desc"};

// One folder with the generated book for the whole run.
struct Fixture {
    std::filesystem::path Folder;
    std::filesystem::path Book;
    std::string Bytes;
    std::string Table;
    TSprav Model;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qor-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        Folder = pattern;
        Book = Folder / "max.spr";
        if (max_book::Write(Book)) {
            std::fprintf(stderr, "cannot write %s\n", Book.c_str());
            std::exit(1);
        }
        if (!sprav_file::Load(Book, Model, kDirs.Tests).Ok() ||
            !sprav_file::Format(Model, kDirs, Bytes).Ok()) {
            std::fprintf(stderr, "the generated book does not load and format\n");
            std::exit(1);
        }
        Table = csv_export::Format(Model, kDirs);
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
};

Fixture& Book() {
    static Fixture fixture;
    return fixture;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(Book().Bytes.size()));
}

void anchor_read(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(Book().Book, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            lines.push_back(line);
        }
        benchmark::DoNotOptimize(lines.data());
    }
    SetBytes(state);
}

void read_into_model(benchmark::State& state) {
    for (auto _ : state) {
        TSprav sprav;
        if (!sprav_file::Load(Book().Book, sprav, kDirs.Tests).Ok()) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(sprav.Files.data());
    }
    SetBytes(state);
}

void read_into_model_keep(benchmark::State& state) {
    for (auto _ : state) {
        auto sprav = std::make_unique<TSprav>();
        if (!sprav_file::Load(Book().Book, *sprav, kDirs.Tests).Ok()) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(sprav->Files.data());
        state.PauseTiming();
        sprav.reset();
        state.ResumeTiming();
    }
    SetBytes(state);
}

void anchor_write(benchmark::State& state) {
    const std::filesystem::path target = Book().Folder / "anchor.spr";
    const std::string& bytes = Book().Bytes;
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            state.SkipWithError("write failed");
            break;
        }
    }
    SetBytes(state);
}

// One durable replacement of `target` by `bytes` at the least cost: one write, fsync, rename, fsync of the
// folder.
void WriteDurably(benchmark::State& state, const std::filesystem::path& target, const std::string& bytes) {
    const std::filesystem::path temporary = target.string() + ".tmp";
    for (auto _ : state) {
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                  std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
        ok = (file != nullptr && std::fclose(file) == 0) && ok;
        ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
        const int folder = ::open(Book().Folder.c_str(), O_RDONLY | O_DIRECTORY);
        ok = ok && folder >= 0 && ::fsync(folder) == 0;
        if (folder >= 0) {
            ::close(folder);
        }
        if (!ok) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void anchor_write_fsync(benchmark::State& state) {
    WriteDurably(state, Book().Folder / "anchor-fsync.spr", Book().Bytes);
}

void anchor_write_csv(benchmark::State& state) {
    WriteDurably(state, Book().Folder / "anchor.csv", Book().Table);
}

void format_book(benchmark::State& state) {
    std::string out;
    for (auto _ : state) {
        if (!sprav_file::Format(Book().Model, kDirs, out).Ok()) {
            state.SkipWithError("format failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}

void write_book(benchmark::State& state) {
    const std::filesystem::path target = Book().Folder / "saved.spr";
    for (auto _ : state) {
        if (!sprav_file::Save(target, Book().Model, kDirs).Ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    SetBytes(state);
}

void export_csv(benchmark::State& state) {
    const std::filesystem::path target = Book().Folder / "export.csv";
    for (auto _ : state) {
        if (csv_export::Save(target, Book().Model, kDirs, Book().Book)) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Book().Table.size()));
}

}  // namespace

BENCHMARK(anchor_read)->Unit(benchmark::kMillisecond);
BENCHMARK(read_into_model)->Unit(benchmark::kMillisecond);
BENCHMARK(read_into_model_keep)->Unit(benchmark::kMillisecond);
BENCHMARK(anchor_write)->Unit(benchmark::kMillisecond);
BENCHMARK(anchor_write_fsync)->Unit(benchmark::kMillisecond);
BENCHMARK(format_book)->Unit(benchmark::kMillisecond);
BENCHMARK(write_book)->Unit(benchmark::kMillisecond);
BENCHMARK(anchor_write_csv)->Unit(benchmark::kMillisecond);
BENCHMARK(export_csv)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
