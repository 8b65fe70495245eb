#include "effecteditor/EffectPluginView.h"

#include "audio/KivEffect.h"
#include "audio/KivEffectUnit.h"
#include "foundation/KivLog.h"
#include "platform/effects/Lv2Processor.h"

#include <lv2/atom/atom.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>
#include <suil/suil.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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

// The size of an X window, or an empty size when it cannot be read.
QSize windowSize(std::uintptr_t window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) {
        return {};
    }
    xcb_connection_t* connection = x11->connection();
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)), nullptr);
    QSize size;
    if (geometry) {
        size = QSize(geometry->width, geometry->height);
        std::free(geometry);
    }
    return size;
}

} // namespace

EffectPluginView* EffectPluginView::create(KivEffect& effect, QWidget* parent) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* view = new EffectPluginView(effect, parent);
    if (!view->load()) {
        delete view;
        return nullptr;
    }
    return view;
}

EffectPluginView::EffectPluginView(KivEffect& effect, QWidget* parent)
    : QWidget(parent)
    , _effect(effect)
    , _timer(new QTimer(this)) {
    // The UI's window goes inside this one, so it needs an X window of its own.
    setAttribute(Qt::WA_NativeWindow);
    _timer->setInterval(kIdleIntervalMs);
    connect(_timer, &QTimer::timeout, this, [this] { idle(); });
}

EffectPluginView::~EffectPluginView() {
    _timer->stop();
    _listening.disconnect();
    // The UI goes while the window it lives in is still there.
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

bool EffectPluginView::load() {
    KivEffectUnit* unit = _effect.unit();
    const auto* processor = unit ? dynamic_cast<const Lv2Processor*>(&unit->processor()) : nullptr;
    if (!processor) {
        return false;
    }
    Lv2World& world = *processor->world();
    LilvWorld* lilv = world.lilv();

    LilvUIs* uis = lilv_plugin_get_uis(processor->plugin());
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
    const auto give_up = [&](const std::string& why) {
        logFormat("Error: the view of effect %s could not be loaded (%s); it shows the "
                  "generic view",
                  _effect.name().c_str(), why.c_str());
        lilv_uis_free(uis);
        return false;
    };
    if (!chosen) {
        lilv_uis_free(uis);
        return false;
    }
    if (const std::string missing = missingFeature(lilv, chosen); !missing.empty()) {
        return give_up("it needs " + missing);
    }
    const LilvText bundle = pathOf(lilv_ui_get_bundle_uri(chosen));
    const LilvText binary = pathOf(lilv_ui_get_binary_uri(chosen));
    if (!bundle || !binary) {
        return give_up("its files are not local");
    }

    for (const EffectParameter& parameter : _effect.parameters()) {
        _inputs.insert(parameter.id);
        _symbols.emplace(parameter.symbol, parameter.id);
    }
    for (const EffectParameter& parameter : _effect.outputParameters()) {
        _outputs.emplace(parameter.id, 0.0f);
        _symbols.emplace(parameter.symbol, parameter.id);
    }

    UridMap& urids = world.urids();
    _sampleRate = static_cast<float>(processor->sampleRate());
    if (_sampleRate > 0.0f) {
        _options.push_back(LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0,
                                              urids.map(LV2_PARAMETERS__sampleRate), sizeof(float),
                                              urids.map(LV2_ATOM__Float), &_sampleRate});
    }
    _options.push_back(LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    _resize = LV2UI_Resize{this, &EffectPluginView::resizeFromUi};
    _features = {
        {LV2_URID__map, urids.mapFeatureData()},
        {LV2_URID__unmap, urids.unmapFeatureData()},
        {LV2_OPTIONS__options, _options.data()},
        {LV2_UI__parent, reinterpret_cast<void*>(winId())},
        {LV2_UI__resize, &_resize},
        {LV2_UI__idleInterface, nullptr},
    };
    for (const LV2_Feature& feature : _features) {
        _featureList.push_back(&feature);
    }
    _featureList.push_back(nullptr);

    _host = suil_host_new(&EffectPluginView::writeFromUi, &EffectPluginView::indexForSymbol,
                          nullptr, nullptr);
    _instance =
        suil_instance_new(_host, this, LV2_UI__X11UI, processor->uri().c_str(),
                          lilv_node_as_uri(lilv_ui_get_uri(chosen)), lilv_node_as_uri(chosenType),
                          bundle.get(), binary.get(), _featureList.data());
    if (!_instance) {
        return give_up("suil could not instantiate it");
    }
    lilv_uis_free(uis);
    _uiWindow = reinterpret_cast<std::uintptr_t>(suil_instance_get_widget(_instance));
    _idle = static_cast<const LV2UI_Idle_Interface*>(
        suil_instance_extension_data(_instance, LV2_UI__idleInterface));
    _show = static_cast<const LV2UI_Show_Interface*>(
        suil_instance_extension_data(_instance, LV2_UI__showInterface));
    if (!_uiWindow && !_show) {
        logFormat("Error: the view of effect %s could not be loaded (it made no window); it "
                  "shows the generic view",
                  _effect.name().c_str());
        return false;
    }
    if (_uiWindow && !_sized) {
        // A UI that never asked for a size gets the size of its window.
        if (const QSize own = windowSize(_uiWindow); !own.isEmpty()) {
            setFixedSize(own);
        }
    }
    if (!_uiWindow) {
        setFixedSize(0, 0);
    }

    _listening = _effect.parameterListeners().connect([this](std::uint32_t id) {
        if (_writing) {
            return;
        }
        if (id == kKivEffectAnyParameter) {
            sendInputs();
        } else if (_inputs.contains(id)) {
            sendValue(id);
        }
    });
    sendInputs();
    for (auto& [id, last] : _outputs) {
        last = _effect.valueForParameter(id);
        sendValue(id);
    }
    return true;
}

void EffectPluginView::sendValue(std::uint32_t id) {
    const float value = _effect.valueForParameter(id);
    suil_instance_port_event(_instance, id, sizeof(float), 0, &value);
}

void EffectPluginView::sendInputs() {
    for (std::uint32_t id : _inputs) {
        sendValue(id);
    }
}

void EffectPluginView::idle() {
    if (!_instance) {
        return;
    }
    // A UI that asks to close is idled no more; the editor keeps its window.
    if (_idle && _idle->idle(suil_instance_get_handle(_instance)) != 0) {
        _idle = nullptr;
    }
    for (auto& [id, last] : _outputs) {
        if (const float value = _effect.valueForParameter(id); value != last) {
            last = value;
            sendValue(id);
        }
    }
}

void EffectPluginView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (_instance && _show) {
        _show->show(suil_instance_get_handle(_instance));
    }
    _timer->start();
}

void EffectPluginView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    _timer->stop();
    if (_instance && _show) {
        _show->hide(suil_instance_get_handle(_instance));
    }
}

void EffectPluginView::writeFromUi(void* controller, std::uint32_t port, std::uint32_t size,
                                   std::uint32_t protocol, const void* buffer) {
    auto* view = static_cast<EffectPluginView*>(controller);
    // Only plain float writes to parameters; the UI cannot bypass or write outputs.
    if (protocol != 0 || size != sizeof(float) || !view->_inputs.contains(port)) {
        return;
    }
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    view->_writing = true;
    view->_effect.setValueForParameter(port, value);
    view->_writing = false;
}

std::uint32_t EffectPluginView::indexForSymbol(void* controller, const char* symbol) {
    const auto& symbols = static_cast<EffectPluginView*>(controller)->_symbols;
    const auto found = symbols.find(symbol ? symbol : "");
    return found == symbols.end() ? LV2UI_INVALID_PORT_INDEX : found->second;
}

int EffectPluginView::resizeFromUi(LV2UI_Feature_Handle handle, int width, int height) {
    if (width <= 0 || height <= 0) {
        return 1;
    }
    auto* view = static_cast<EffectPluginView*>(handle);
    view->setFixedSize(width, height);
    view->_sized = true;
    return 0;
}
