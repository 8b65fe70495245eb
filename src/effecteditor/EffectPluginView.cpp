#include "effecteditor/EffectPluginView.h"

#include "audio/effects/KivEffect.h"
#include "foundation/KivLog.h"
#include "platform/effects/EffectPluginUi.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <string>

namespace {

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
    _ui.reset();
}

std::uintptr_t EffectPluginView::uiWindow() const {
    return _ui ? _ui->window() : 0;
}

bool EffectPluginView::load() {
    for (const EffectParameter& parameter : _effect.parameters()) {
        _inputs.insert(parameter.id);
    }
    for (const EffectParameter& parameter : _effect.outputParameters()) {
        _outputs.emplace(parameter.id, 0.0f);
    }
    EffectPluginUiCallbacks callbacks{
        [this](std::uint32_t id, float value) {
            _writing = true;
            _effect.setValueForParameter(id, value);
            _writing = false;
        },
        [this](int width, int height) {
            setFixedSize(width, height);
            _sized = true;
        },
    };
    std::string failure;
    _ui = _effect.openPluginUi(winId(), std::move(callbacks), failure);
    if (!_ui) {
        if (!failure.empty()) {
            logFormat("Error: the view of effect %s could not be loaded (%s); it shows the "
                      "generic view",
                      _effect.name().c_str(), failure.c_str());
        }
        return false;
    }
    if (const std::uintptr_t window = _ui->window(); !window) {
        setFixedSize(0, 0);
    } else if (!_sized) {
        // A UI that never asked for a size gets the size of its window.
        if (const QSize own = windowSize(window); !own.isEmpty()) {
            setFixedSize(own);
        }
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
    _ui->setValue(id, _effect.valueForParameter(id));
}

void EffectPluginView::sendInputs() {
    for (std::uint32_t id : _inputs) {
        sendValue(id);
    }
}

void EffectPluginView::idle() {
    if (!_ui) {
        return;
    }
    _ui->idle();
    for (auto& [id, last] : _outputs) {
        if (const float value = _effect.valueForParameter(id); value != last) {
            last = value;
            sendValue(id);
        }
    }
}

void EffectPluginView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (_ui) {
        _ui->show();
    }
    _timer->start();
}

void EffectPluginView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    _timer->stop();
    if (_ui) {
        _ui->hide();
    }
}
