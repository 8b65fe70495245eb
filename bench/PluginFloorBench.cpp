// The floor under renderVoices/.../effects:2: the same two mda-lv2 plugins
// (a delay, then a limiter) alone, run through lilv with nothing of the
// engine around them, one stereo pair per voice, in 512-frame blocks at
// 44.1 kHz and paced at the real period, as renderVoices paces its cycles.
// Each voice's delay reads its input straight from a block of the test
// signal in memory and the limiter reads the delay's output: no file, no
// read-ahead, no copy, no mix. "core_fraction", "us_per_voice" and
// "cpu_us_per_voice" are renderVoices' counters for this loop; the engine's
// cost for a voice with the two effects, less this floor, is what hosting
// them costs.
#include "SourceVoices.h"

#include <benchmark/benchmark.h>
#include <lilv/lilv.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = SourceVoices::kFileRate;
constexpr std::size_t kSignalBlocks = 16;

struct WorldDeleter {
    void operator()(LilvWorld* world) const { lilv_world_free(world); }
};

// One plugin instance with a buffer of its own for every port but its audio
// inputs, which the caller points at the frames to run on.
class Instance {
public:
    Instance(LilvWorld* world, const LilvPlugin* plugin)
        : _instance(lilv_plugin_instantiate(plugin, kRate, nullptr)) {
        if (!_instance) {
            return;
        }
        LilvNode* audio = lilv_new_uri(world, LILV_URI_AUDIO_PORT);
        LilvNode* control = lilv_new_uri(world, LILV_URI_CONTROL_PORT);
        LilvNode* input = lilv_new_uri(world, LILV_URI_INPUT_PORT);
        const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
        std::vector<float> defaults(ports, 0.0f);
        lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
        _controls.assign(ports, 0.0f);
        for (std::uint32_t index = 0; index < ports; ++index) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
            if (lilv_port_is_a(plugin, port, audio)) {
                if (lilv_port_is_a(plugin, port, input)) {
                    _inputs.push_back(index);
                } else {
                    _outputs.emplace_back(kFrames, 0.0f);
                    lilv_instance_connect_port(_instance, index, _outputs.back().data());
                }
            } else if (lilv_port_is_a(plugin, port, control)) {
                _controls[index] = std::isnan(defaults[index]) ? 0.0f : defaults[index];
                lilv_instance_connect_port(_instance, index, &_controls[index]);
            }
        }
        lilv_node_free(audio);
        lilv_node_free(control);
        lilv_node_free(input);
        lilv_instance_activate(_instance);
    }
    ~Instance() {
        if (_instance) {
            lilv_instance_deactivate(_instance);
            lilv_instance_free(_instance);
        }
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return _instance && _inputs.size() == 2 && _outputs.size() == 2; }
    void run(const float* left, const float* right) {
        lilv_instance_connect_port(_instance, _inputs[0], const_cast<float*>(left));
        lilv_instance_connect_port(_instance, _inputs[1], const_cast<float*>(right));
        lilv_instance_run(_instance, kFrames);
    }
    const float* output(std::size_t channel) const { return _outputs[channel].data(); }

private:
    LilvInstance* _instance;
    std::vector<std::uint32_t> _inputs;
    std::vector<std::vector<float>> _outputs;
    std::vector<float> _controls;
};

void pluginsAlone(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::unique_ptr<LilvWorld, WorldDeleter> world(lilv_world_new());
    lilv_world_load_all(world.get());
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world.get());
    const LilvPlugin* found[2] = {};
    const char* uris[2] = {SourceVoices::kMdaDelay, SourceVoices::kMdaLimiter};
    for (int k = 0; k < 2; ++k) {
        LilvNode* uri = lilv_new_uri(world.get(), uris[k]);
        found[k] = lilv_plugins_get_by_uri(plugins, uri);
        lilv_node_free(uri);
    }
    if (!found[0] || !found[1]) {
        state.SkipWithError("mda-lv2 is not installed (scripts/install-deps installs it)");
        return;
    }
    std::vector<std::unique_ptr<Instance>> delays;
    std::vector<std::unique_ptr<Instance>> limiters;
    for (std::size_t v = 0; v < count; ++v) {
        delays.push_back(std::make_unique<Instance>(world.get(), found[0]));
        limiters.push_back(std::make_unique<Instance>(world.get(), found[1]));
        if (!delays.back()->valid() || !limiters.back()->valid()) {
            state.SkipWithError("the plugins are not the stereo effects expected");
            return;
        }
    }
    // The voices' file signal, one channel after the other, a few blocks of it.
    const auto interleaved = AudioFixtures::signal(kSignalBlocks * kFrames, 2, kRate);
    std::vector<float> channels[2];
    for (std::size_t f = 0; f < kSignalBlocks * kFrames; ++f) {
        channels[0].push_back(interleaved[2 * f]);
        channels[1].push_back(interleaved[2 * f + 1]);
    }

    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kFrames / kRate));
    auto next = std::chrono::steady_clock::now();
    double total = 0.0;
    double cpuTotal = 0.0;
    std::size_t block = 0;
    for (auto _ : state) {
        const std::size_t at = (block++ % kSignalBlocks) * kFrames;
        const auto start = std::chrono::steady_clock::now();
        const double cpu = SourceVoices::threadCpuSeconds();
        for (std::size_t v = 0; v < count; ++v) {
            delays[v]->run(channels[0].data() + at, channels[1].data() + at);
            limiters[v]->run(delays[v]->output(0), delays[v]->output(1));
        }
        cpuTotal += SourceVoices::threadCpuSeconds() - cpu;
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(took);
        total += took;
        next += period;
        std::this_thread::sleep_until(next);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["core_fraction"] = mean / (kFrames / kRate);
    state.counters["us_per_voice"] = mean * 1e6 / static_cast<double>(count);
    state.counters["cpu_us_per_voice"] =
        cpuTotal * 1e6 / static_cast<double>(state.iterations()) / static_cast<double>(count);
}

} // namespace

BENCHMARK(pluginsAlone)
    ->ArgName("voices")
    ->Arg(64)
    ->Arg(256)
    ->Iterations(600)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
