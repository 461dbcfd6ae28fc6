// Runs the benchmarks, then prints each one's wall-clock time as a ratio to
// the stream decode it is measured against (same run, same file).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>

namespace {

// Which reference each benchmark is compared with: the stream decode at the
// same scale, the floor of a full decode.
std::string ReferenceOf(const std::string& name)
{
    auto slash = name.find('/');
    const std::string base = name.substr(0, slash);
    const std::string arg = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    if (base == "BM_StreamDecode" || base == "BM_ReadMetadata" || base == "BM_FourPanesMemory"
        || base == "BM_ReaddirSort" || base == "BM_WalkMemory" || base == "BM_RawProbeSpawn" || base.rfind("BM_Marks", 0) == 0)
        return {};
    if (base == "BM_ListFolder")
        return "BM_ReaddirSort/" + arg;
    if (base == "BM_ExposureOverlay" || base == "BM_Difference")
        return "BM_StreamDecode/1";
    if (base == "BM_FitSmooth")
        return "BM_FitStretch";
    return "BM_StreamDecode/" + arg;
}

// Wall-clock time: what the user waits for, and the only fair measure of
// work spread over threads.
std::string NameOf(const benchmark::BenchmarkReporter::Run& run)
{
    std::string name = run.benchmark_name();
    const std::string suffix = "/real_time";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[NameOf(run)] = run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios (wall clock) to the stream decode of the same file at the same scale:\n");
        for (const auto& [name, time] : m_times) {
            const std::string ref = ReferenceOf(name);
            auto it = m_times.find(ref);
            if (ref.empty() || it == m_times.end() || it->second <= 0)
                continue;
            std::printf("  %-28s / %-18s = %.3f\n", name.c_str(), ref.c_str(), time / it->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    // The window benchmarks need widgets; they run on the offscreen platform,
    // on a screen the size of the benchmark window, so that the window is
    // built at the size its panes are measured at (boxes of 960 x 540).
    QTemporaryDir screens;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QString config = screens.filePath(QStringLiteral("screens.json"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1941, "height": 1146,)"
                       R"( "dpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
