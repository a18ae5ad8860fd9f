#include "StandInWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/Registry.h"

using quaverly::Registry;
using quaverly::RegistryRoot;

namespace {

std::string FileNameOf(const std::string &path)
{
    std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

StandInWindow::StandInWindow(const std::string &midiPath) : midiPath_(midiPath)
{
    setWindowTitle(QString::fromStdString(kTitlePrefix + FileNameOf(midiPath)));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(midiPath), this));
    resize(320, 80);
}

void StandInWindow::closeEvent(QCloseEvent *event)
{
    // What a player that saves its settings leaves behind: the last file,
    // and how many times it has been closed.
    Registry registry;
    auto root = RegistryRoot::HKEY_CURRENT_USER;
    int closed = std::atoi(registry.ReadString(root, kSettingsKey, "Closed").value_or("0").c_str());
    (void)registry.WriteString(root, kSettingsKey, "Last File", midiPath_);
    (void)registry.WriteString(root, kSettingsKey, "Closed", std::to_string(closed + 1));
    event->accept();
}

QWidget *ShowSynthMessage()
{
    auto *message = new QLabel("The synthesizer could not be opened.");
    message->setAttribute(Qt::WA_DeleteOnClose);
    // It waits for an answer, as a message box does, but never keeps the
    // player running once its main window has closed.
    message->setAttribute(Qt::WA_QuitOnClose, false);
    message->setWindowTitle("YAMAHA Softsynthesizer Player");
    message->setMargin(16);
    message->show();
    return message;
}
