#include "app/TFrmAbout.h"

#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <fstream>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "base/AnsiString.h"
#include "base/QtText.h"

namespace {

const char* const Unknown = "unknown";


// The value after "key:" on the first line of a /proc file that starts with key.
std::string ProcValue(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        return Trim(std::string_view(line).substr(colon + 1));
    }
    return {};
}

// Groups of three digits make sizes readable at a glance.
std::string Grouped(unsigned long long n) {
    std::string s = std::to_string(n);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), " ");
    return s;
}

std::string Processor() {
    std::string model = ProcValue("/proc/cpuinfo", "model name");
    // Some processors (ARM) name themselves on other lines.
    if (model.empty()) model = ProcValue("/proc/cpuinfo", "Hardware");
    if (model.empty()) model = ProcValue("/proc/cpuinfo", "Processor");
    if (model.empty()) return Unknown;
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    if (cores > 1) model += ", " + std::to_string(cores) + " cores";
    return model;
}

// "/proc/meminfo" gives kB; "8 031 MB" reads better.
std::string Memory() {
    auto mb = [](const std::string& v) -> long long {
        try { return std::stoll(v) / 1024; } catch (...) { return -1; }
    };
    const long long total = mb(ProcValue("/proc/meminfo", "MemTotal"));
    const long long avail = mb(ProcValue("/proc/meminfo", "MemAvailable"));
    if (total < 0) return Unknown;
    std::string s = Grouped(static_cast<unsigned long long>(total)) + " MB total";
    if (avail >= 0) s += ", " + Grouped(static_cast<unsigned long long>(avail)) + " MB available";
    return s;
}

std::string Disk() {
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    struct statvfs st {};
    if (folder.empty() || statvfs(folder.c_str(), &st) != 0) return Unknown;
    const unsigned long long unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    const unsigned long long freeMb = st.f_bavail * unit / (1024 * 1024);
    const unsigned long long totalMb = st.f_blocks * unit / (1024 * 1024);
    return Grouped(freeMb) + " MB free of " + Grouped(totalMb) + " MB (" + folder + ")";
}

std::string ScreenText(QWidget* widget) {
    QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return Unknown;
    const QSize size = screen->size();
    return std::to_string(size.width()) + " x " + std::to_string(size.height()) + ", " +
           std::to_string(screen->depth()) + " bits per pixel";
}

std::string User() {
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_name ? std::string(pw->pw_name) : Unknown;
}

std::string Computer() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !name[0]) return Unknown;
    return name;
}

}  // namespace

TFrmAbout::Info TFrmAbout::Gather(QWidget* widget) {
    Info info;
    info.processor = Processor();
    info.memory = Memory();
    info.disk = Disk();
    info.display = ScreenText(widget);
    info.user = User();
    info.computer = Computer();
    info.fileVersion = Version;
    return info;
}

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent), info_(Gather(parent)) {
    setWindowTitle(QStringLiteral("About Tabulon"));
    auto* layout = new QVBoxLayout(this);

    auto* product = new QLabel(QString::fromLatin1(Product), this);
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    product->setFont(big);
    product->setObjectName(QStringLiteral("product"));
    layout->addWidget(product);

    auto* version = new QLabel(QStringLiteral("Version ") + QString::fromLatin1(Version) +
                                   QStringLiteral(" - SQL console for SQLite 3 databases"), this);
    version->setObjectName(QStringLiteral("version"));
    layout->addWidget(version);

    auto* form = new QFormLayout();
    form->setContentsMargins(0, 8, 0, 8);
    auto add = [&](const char* label, const std::string& value, const char* name) {
        auto* v = new QLabel(AnsiToQString(value), this);
        v->setObjectName(QString::fromLatin1(name));
        // Users copy these lines into bug reports.
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromLatin1(label), v);
    };
    add("Processor:", info_.processor, "processor");
    add("Memory:", info_.memory, "memory");
    add("Disk:", info_.disk, "disk");
    add("Display:", info_.display, "display");
    add("User:", info_.user, "user");
    add("Computer:", info_.computer, "computer");
    add("File version:", info_.fileVersion, "fileVersion");
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFrmAbout::ShowAbout(QWidget* parent) {
    TFrmAbout box(parent);
    box.exec();
}
