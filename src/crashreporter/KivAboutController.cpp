#include "crashreporter/KivAboutController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/drawing/KivColors.h"
#include "crashreporter/KivAboutHeaderView.h"
#include "crashreporter/ResourceStrings.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kLaidOutWidth = 440;
constexpr int kCreditsHeight = 260;

QLabel* centredLabel(QWidget* parent, const char* name, const QColor& colour, int pixelSize) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    return label;
}

} // namespace

KivAboutController::KivAboutController(UrlOpener openUrl)
    : _openUrl(std::move(openUrl)) {}

KivAboutController::~KivAboutController() {
    delete _window;
}

void KivAboutController::showWindow() {
    if (!_window) {
        buildWindow();
        awakeFromNib();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QRect frame = windowContentFrame();
        frame.moveCenter(screen.center());
        _window->setGeometry(frame);
    }
    _window->show();
    _window->raise();
    _window->activateWindow();
}

void KivAboutController::buildWindow() {
    _window = new QWidget(nullptr, Qt::Window);
    _window->setObjectName(QStringLiteral("aboutWindow"));
    _window->setAttribute(Qt::WA_DeleteOnClose);
    QPalette colours = KivColors::darkPalette(_window->palette());
    colours.setColor(QPalette::Link, KivColors::rgb(0.45, 0.68, 0.9));
    _window->setPalette(colours);
    _window->setAutoFillBackground(true);

    // The part above the fold keeps its height; the credits take what the
    // window gives below it, nothing when folded.
    auto* top = new QWidget(_window);
    top->setFixedHeight(kFoldedHeight);
    _header = new KivAboutHeaderView(top);
    _header->setObjectName(QStringLiteral("headerView"));
    _header->setFixedHeight(72);
    _copyrightField = centredLabel(top, "copyrightField", KivColors::grey(0.75), 12);
    _tagLineField = centredLabel(top, "tagLineField", KivColors::grey(0.6), 12);
    QFont italic = _tagLineField->font();
    italic.setItalic(true);
    _tagLineField->setFont(italic);
    _toggle = new VornButton(QStringLiteral("Credits"), top);
    _toggle->setObjectName(QStringLiteral("toggleButton"));
    _toggle->setCheckable(true);
    QObject::connect(_toggle, &QPushButton::toggled, _window,
                     [this](bool on) { toggleCredits(on); });
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(20, 30, 20, 20);
    topLayout->setSpacing(10);
    topLayout->addWidget(_header);
    topLayout->addSpacing(6);
    topLayout->addWidget(_copyrightField);
    topLayout->addWidget(_tagLineField);
    topLayout->addStretch(1);
    topLayout->addWidget(_toggle, 0, Qt::AlignHCenter);

    _credits = new QTextBrowser(_window);
    _credits->setObjectName(QStringLiteral("credits"));
    _credits->setFrameShape(QFrame::NoFrame);
    _credits->setOpenLinks(false);
    // Folded, the window ends where the credits begin.
    _credits->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    _credits->document()->setDocumentMargin(14);
    _credits->document()->setDefaultStyleSheet(
        QStringLiteral("a { color: #74aee6; } h3, h4 { color: #ffffff; }"));
    QObject::connect(_credits, &QTextBrowser::anchorClicked, _window,
                     [this](const QUrl& url) { decidePolicyForNavigation(url); });
    auto* layout = new QVBoxLayout(_window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(top);
    layout->addWidget(_credits, 1);
    _window->resize(kLaidOutWidth, kFoldedHeight + kCreditsHeight);
}

void KivAboutController::awakeFromNib() {
    const QString name = ResourceStrings::info(QStringLiteral("CFBundleName"));
    _window->setWindowTitle(QStringLiteral("About %1").arg(name));
    _originalSize = _window->size();
    _copyrightField->setText(QStringLiteral("%1 %2").arg(
        name, ResourceStrings::info(QStringLiteral("NSHumanReadableCopyright"))));
    _tagLineField->setText(ResourceStrings::info(QStringLiteral("KivAboutTagLine")));
    _credits->setSource(QUrl(QStringLiteral("qrc:/credits.html")));
    resizeWindowToSize({_originalSize.width(), kFoldedHeight});
}

QRect KivAboutController::windowContentFrame() const {
    return _window ? _window->geometry() : QRect();
}

void KivAboutController::resizeWindowToSize(QSize size) {
    const QRect current = windowContentFrame();
    const int x =
        current.x() + static_cast<int>(std::floor((current.width() - size.width()) * 0.5));
    // The user may change the height only.
    _window->setFixedWidth(size.width());
    _window->setGeometry(x, current.y(), size.width(), size.height());
}

void KivAboutController::toggleCredits(bool on) {
    resizeWindowToSize(on ? QSize(kUnfoldedWidth, _originalSize.height())
                          : QSize(_originalSize.width(), kFoldedHeight));
}

bool KivAboutController::decidePolicyForNavigation(const QUrl& url) {
    if (url.isLocalFile() || url.scheme() == QLatin1String("qrc")) {
        _credits->setSource(url);
        return true;
    }
    _openUrl(url);
    return false;
}
