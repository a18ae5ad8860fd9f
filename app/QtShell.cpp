#include "app/QtShell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QStyle>
#include <QTimer>

#include "ui/FormEvents.h"

namespace quaverly {

namespace {
QString FromUtf8(const std::string &text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
}  // namespace

void TQtDialogs::MessageBox(const std::string &text, const std::string &caption)
{
    QMessageBox box(QMessageBox::NoIcon, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

namespace {
QString CaseBlind(const QString &pattern)
{
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}
}  // namespace

QStringList QtFileFilters(const std::string &filter)
{
    const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << CaseBlind(pattern.trimmed());
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

std::optional<std::vector<std::string>> TQtDialogs::OpenFiles(const std::string &filter,
                                                              const std::string &initialDir)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), FromUtf8(initialDir));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // The filter list shows the names only, as the filters were written.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(QtFileFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    std::vector<std::string> result;
    for (const QString &file : dialog.selectedFiles())
        result.push_back(file.toStdString());
    return result;
}

int QtScrollBarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

}  // namespace quaverly
