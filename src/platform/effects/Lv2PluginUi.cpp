#include "platform/effects/Lv2PluginUi.h"

#include "platform/effects/Lv2Processor.h"

#include <lv2/atom/atom.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>
#include <suil/suil.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// What this host gives a UI; a UI that requires anything else is not loaded.
constexpr const char* kGivenFeatures[] = {
    LV2_URID__map,  LV2_URID__unmap,       LV2_OPTIONS__options, LV2_UI__parent,
    LV2_UI__resize, LV2_UI__idleInterface, LV2_UI__portMap,
};

struct LilvFree {
    void operator()(char* text) const { lilv_free(text); }
};
using LilvText = std::unique_ptr<char, LilvFree>;

LilvText pathOf(const LilvNode* uri) {
    return LilvText(uri ? lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr) : nullptr);
}

// The first feature the UI requires that this host does not give, or "".
std::string missingFeature(LilvWorld* world, const LilvUI* ui) {
    const LilvNode* uri = lilv_ui_get_uri(ui);
    lilv_world_load_resource(world, uri);
    LilvNode* required = lilv_new_uri(world, LV2_CORE__requiredFeature);
    LilvNodes* features = lilv_world_find_nodes(world, uri, required, nullptr);
    std::string missing;
    LILV_FOREACH(nodes, i, features) {
        const char* feature = lilv_node_as_uri(lilv_nodes_get(features, i));
        if (!feature || std::none_of(std::begin(kGivenFeatures), std::end(kGivenFeatures),
                                     [feature](const char* given) {
                                         return std::strcmp(given, feature) == 0;
                                     })) {
            missing = feature ? feature : "?";
            break;
        }
    }
    lilv_nodes_free(features);
    lilv_node_free(required);
    return missing;
}

} // namespace

std::unique_ptr<Lv2PluginUi> Lv2PluginUi::open(const Lv2Processor& processor, std::uintptr_t parent,
                                               EffectPluginUiCallbacks callbacks,
                                               std::string& failure) {
    failure.clear();
    LilvWorld* lilv = processor.world()->lilv();
    LilvUIs* uis = lilv_plugin_get_uis(processor.plugin());
    LilvNode* hostType = lilv_new_uri(lilv, LV2_UI__X11UI);
    const LilvUI* chosen = nullptr;
    const LilvNode* chosenType = nullptr;
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        const LilvNode* type = nullptr;
        if (lilv_ui_is_supported(ui, suil_ui_supported, hostType, &type) > 0) {
            chosen = ui;
            chosenType = type;
            break;
        }
    }
    lilv_node_free(hostType);
    std::unique_ptr<Lv2PluginUi> ui;
    if (chosen) {
        ui.reset(new Lv2PluginUi(processor.world(), std::move(callbacks)));
        failure = ui->load(processor, chosen, chosenType, parent);
        if (!failure.empty()) {
            ui.reset();
        }
    }
    lilv_uis_free(uis);
    return ui;
}

Lv2PluginUi::Lv2PluginUi(std::shared_ptr<Lv2World> world, EffectPluginUiCallbacks callbacks)
    : _world(std::move(world))
    , _callbacks(std::move(callbacks)) {}

Lv2PluginUi::~Lv2PluginUi() {
    if (_instance) {
        if (_show) {
            _show->hide(suil_instance_get_handle(_instance));
        }
        suil_instance_free(_instance);
    }
    if (_host) {
        suil_host_free(_host);
    }
}

std::string Lv2PluginUi::load(const Lv2Processor& processor, const LilvUI* ui, const LilvNode* type,
                              std::uintptr_t parent) {
    if (const std::string missing = missingFeature(_world->lilv(), ui); !missing.empty()) {
        return "it needs " + missing;
    }
    const LilvText bundle = pathOf(lilv_ui_get_bundle_uri(ui));
    const LilvText binary = pathOf(lilv_ui_get_binary_uri(ui));
    if (!bundle || !binary) {
        return "its files are not local";
    }

    for (const EffectParameter& parameter : processor.parameters()) {
        _inputs.insert(parameter.id);
        _symbols.emplace(parameter.symbol, parameter.id);
    }
    for (const EffectParameter& parameter : processor.outputs()) {
        _symbols.emplace(parameter.symbol, parameter.id);
    }

    UridMap& urids = _world->urids();
    _sampleRate = static_cast<float>(processor.sampleRate());
    if (_sampleRate > 0.0f) {
        _options.push_back(LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0,
                                              urids.map(LV2_PARAMETERS__sampleRate), sizeof(float),
                                              urids.map(LV2_ATOM__Float), &_sampleRate});
    }
    _options.push_back(LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    _resize = LV2UI_Resize{this, &Lv2PluginUi::resizeFromUi};
    _features = {
        {LV2_URID__map, urids.mapFeatureData()},
        {LV2_URID__unmap, urids.unmapFeatureData()},
        {LV2_OPTIONS__options, _options.data()},
        {LV2_UI__parent, reinterpret_cast<void*>(parent)},
        {LV2_UI__resize, &_resize},
        {LV2_UI__idleInterface, nullptr},
    };
    for (const LV2_Feature& feature : _features) {
        _featureList.push_back(&feature);
    }
    _featureList.push_back(nullptr);

    _host =
        suil_host_new(&Lv2PluginUi::writeFromUi, &Lv2PluginUi::indexForSymbol, nullptr, nullptr);
    _instance = suil_instance_new(_host, this, LV2_UI__X11UI, processor.uri().c_str(),
                                  lilv_node_as_uri(lilv_ui_get_uri(ui)), lilv_node_as_uri(type),
                                  bundle.get(), binary.get(), _featureList.data());
    if (!_instance) {
        return "suil could not instantiate it";
    }
    _window = reinterpret_cast<std::uintptr_t>(suil_instance_get_widget(_instance));
    _idle = static_cast<const LV2UI_Idle_Interface*>(
        suil_instance_extension_data(_instance, LV2_UI__idleInterface));
    _show = static_cast<const LV2UI_Show_Interface*>(
        suil_instance_extension_data(_instance, LV2_UI__showInterface));
    if (!_window && !_show) {
        return "it made no window";
    }
    return {};
}

void Lv2PluginUi::idle() {
    // A UI that asks to close is idled no more; its host keeps the window.
    if (_idle && _idle->idle(suil_instance_get_handle(_instance)) != 0) {
        _idle = nullptr;
    }
}

void Lv2PluginUi::setValue(std::uint32_t id, float value) {
    suil_instance_port_event(_instance, id, sizeof(float), 0, &value);
}

void Lv2PluginUi::show() {
    if (_show) {
        _show->show(suil_instance_get_handle(_instance));
    }
}

void Lv2PluginUi::hide() {
    if (_show) {
        _show->hide(suil_instance_get_handle(_instance));
    }
}

void Lv2PluginUi::writeFromUi(void* controller, std::uint32_t port, std::uint32_t size,
                              std::uint32_t protocol, const void* buffer) {
    auto* ui = static_cast<Lv2PluginUi*>(controller);
    // Only plain float writes to parameters; the UI cannot bypass or write outputs.
    if (protocol != 0 || size != sizeof(float) || !ui->_inputs.contains(port) ||
        !ui->_callbacks.setParameter) {
        return;
    }
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    ui->_callbacks.setParameter(port, value);
}

std::uint32_t Lv2PluginUi::indexForSymbol(void* controller, const char* symbol) {
    const auto& symbols = static_cast<Lv2PluginUi*>(controller)->_symbols;
    const auto found = symbols.find(symbol ? symbol : "");
    return found == symbols.end() ? LV2UI_INVALID_PORT_INDEX : found->second;
}

int Lv2PluginUi::resizeFromUi(LV2UI_Feature_Handle handle, int width, int height) {
    if (width <= 0 || height <= 0) {
        return 1;
    }
    auto* ui = static_cast<Lv2PluginUi*>(handle);
    if (ui->_callbacks.resize) {
        ui->_callbacks.resize(width, height);
    }
    return 0;
}
