// make_max_book <out.spr>: writes the largest book the reader takes, for benchmarks and for trying the
// editor by hand.
#include <cstdio>

#include "testkit/MaxBook.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_max_book <out.spr>\n");
        return 2;
    }
    if (const std::error_code ec = max_book::Write(argv[1])) {
        std::fprintf(stderr, "make_max_book: cannot write %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    return 0;
}
