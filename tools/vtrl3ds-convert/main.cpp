// vtrl3ds-convert: loads each input through the model library and writes it as glTF 2.0, several
// at a time, with a progress line on a terminal, or one input's motion as BVH. Every failed input
// gets one line on standard error naming the file and the reason; the exit status says which.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "convert.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/version.h"

namespace {

std::mutex outputLock;  // one line at a time on standard error

void printLine(const std::string& line) {
    const std::lock_guard<std::mutex> hold(outputLock);
    std::cerr << (isatty(STDERR_FILENO) ? "\r\033[K" : "") << line << '\n';
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

std::string outputFor(const TConvertOptions& o, const std::string& input) {
    if (!o.ToFolder) return o.Output;
    const std::string name = std::filesystem::path(input).stem().string() + (o.Text ? ".gltf" : ".glb");
    return (std::filesystem::path(o.Output) / name).string();
}

// Converts one input; false after printing why it failed.
bool convert(const TConvertOptions& o, const std::string& input) {
    try {
        if (o.ToBvh) {
            WriteBvhOutput(o, input);
            return true;
        }
        TGLAll3dsMesh model;
        LoadModelOrMotion(model, input);
        TGltfOptions options;
        options.Scale = o.Scale;
        if (o.Fps > 0) options.FramesPerSecond = static_cast<float>(o.Fps);
        options.Textures = o.Textures;
        options.ReadImage = ReadTextureImage;
        options.Warn = [](const std::string& line) {
            printLine("vtrl3ds-convert: warning: " + oneLine(line));
        };
        WriteGltf(model, outputFor(o, input), options);
        return true;
    } catch (const std::exception& e) {
        printLine("vtrl3ds-convert: " + input + ": " + oneLine(e.what()));
    }
    return false;
}

// Runs the conversions on `jobs` threads; returns how many failed.
int convertAll(const TConvertOptions& o) {
    const size_t count = o.Inputs.size();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t jobs = std::min(count, static_cast<size_t>(o.Jobs > 0 ? unsigned(o.Jobs) : cores));
    const bool progress = count > 1 && isatty(STDERR_FILENO);
    std::atomic<size_t> next{0}, done{0};
    std::atomic<int> failed{0};
    auto work = [&] {
        for (size_t i; (i = next++) < count;) {
            if (!convert(o, o.Inputs[i])) ++failed;
            const size_t d = ++done;
            if (!progress) continue;
            const std::lock_guard<std::mutex> hold(outputLock);
            std::cerr << "\r\033[K[" << d << "/" << count << "] " << o.Inputs[i] << std::flush;
        }
    };
    std::vector<std::thread> threads;
    for (size_t t = 1; t < jobs; ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    if (progress) std::cerr << "\r\033[K" << std::flush;
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    TConvertOptions options;
    std::string error;
    if (!ParseConvertCommandLine(argc, argv, options, error)) {
        std::cerr << "vtrl3ds-convert: " << error << "\n" << ConvertUsage;
        return 2;
    }
    if (options.Help) {
        std::cout << ConvertUsage;
        return 0;
    }
    if (options.Version) {
        std::cout << "vtrl3ds-convert " << VTRL_VERSION_STRING << "\n";
        return 0;
    }
    return convertAll(options) == 0 ? 0 : 1;
}
