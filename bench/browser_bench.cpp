// How fast the thumbnail grid comes up on a folder of camera pictures, against the practical
// lower bound: bare libjpeg-turbo decodes at 1/8 of the same files.
//
//   CORPUS=/tmp/corpus build/browser_bench [path/to/velloran]
//
// CORPUS is the folder made by the shared corpus script (make_corpus.sh); its 12 MP baseline
// files c12_*.jpg are copied twice into a folder of 16 pictures.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double DecodeEighth(const std::string& path) {
    const auto start = Clock::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return 0;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row(cinfo.output_width * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double RunProgram(const std::string& binary, const std::string& root, const std::string& keys) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(binary.c_str(), binary.c_str(), "--headless", "--device-root", root.c_str(), "--keys",
              keys.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void PrepareRoot(const std::string& root, const std::vector<std::string>& files) {
    fs::remove_all(root);
    fs::create_directories(root + "/Pics");
    fs::create_directories(root + "/Program Files/Velloran/Samples");
    fs::create_directories(root + "/Program Files/Velloran/Help");
    std::FILE* help = std::fopen((root + "/Program Files/Velloran/Help/index.htm").c_str(), "w");
    if (help)
        std::fclose(help);
    for (size_t i = 0; i < files.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/Pics/cam%02zu.jpg", i);
        fs::copy_file(files[i], root + name, fs::copy_options::overwrite_existing);
    }
    fs::create_directories(root + "/Windows");
    std::FILE* reg = std::fopen((root + "/Windows/registry.reg").c_str(), "w");
    std::fprintf(
        reg,
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\MainSection]\n"
        "\"WorkDirectory\"=\"\\\\Pics\"\n\"ThumbnailLayout\"=dword:00000002\n");
    std::fclose(reg);
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpusEnv = std::getenv("CORPUS");
    const std::string corpus = corpusEnv ? corpusEnv : "/tmp/corpus";
    const std::string binary = argc > 1 ? argv[1] : "build/velloran";
    std::vector<std::string> twelve;
    for (const auto& e : fs::directory_iterator(corpus)) {
        const std::string n = e.path().filename().string();
        if (n.rfind("c12_", 0) == 0 && n.size() > 4 && n.substr(n.size() - 4) == ".jpg") {
            twelve.push_back(e.path().string());
        }
    }
    if (twelve.empty()) {
        std::fprintf(
            stderr,
            "no c12_*.jpg in %s: make the corpus with OUT=%s ../shared/bench/make_corpus.sh\n",
            corpus.c_str(), corpus.c_str());
        return 1;
    }
    std::sort(twelve.begin(), twelve.end());
    std::vector<std::string> files;
    while (files.size() < 16)
        files.push_back(twelve[files.size() % twelve.size()]);

    constexpr int kRuns = 7;
    std::vector<double> bare, start, moves;
    const std::string root = "/tmp/velloran-browser-bench";
    for (int run = 0; run < kRuns; ++run) {
        double sum = 0;
        for (const auto& f : files)
            sum += DecodeEighth(f);
        bare.push_back(sum);
        PrepareRoot(root, files);
        start.push_back(RunProgram(binary, root, ""));
        // Fifteen moves inside the page after the first paint; every thumbnail is cached then.
        PrepareRoot(root, files);
        const double withMoves = RunProgram(binary, root,
                                            "Right Right Right Right Right Right Right Right "
                                            "Right Right Right Right Right Right Right");
        moves.push_back(std::max(0.0, withMoves - start.back()) / 15.0);
    }
    const double b = Median(bare);
    const double s = Median(start);
    std::printf("16 x 12 MP JPEGs, median of %d runs\n", kRuns);
    std::printf("  bare libjpeg-turbo 1/8 decodes (lower bound): %8.1f ms\n", b * 1000);
    std::printf("  start to first painted 4 x 4 page, whole process: %8.1f ms  (%.2fx the bound)\n",
                s * 1000, s / b);
    std::printf("  key move inside the page (two cells repainted): %8.3f ms\n",
                Median(moves) * 1000);
    fs::remove_all(root);
    return 0;
}
