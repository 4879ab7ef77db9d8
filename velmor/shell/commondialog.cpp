#include "velmor/shell/commondialog.h"

#include "velmor/shell/colors.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>

namespace shell {
namespace {

// "*.bmp" becomes "*.[bB][mM][pP]": picture files come with either case of extension.
QString caseless(const QString& pattern)
{
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

class QtDialogBackend : public DialogBackend {
public:
    std::optional<QString> showFile(QWidget* parent, const FileDialogRequest& r) override
    {
        QFileDialog dialog(parent, r.title);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(nameFiltersFor(r.filter));
        if (r.save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !(r.flags & cdlOFNOverwritePrompt));
            dialog.setDefaultSuffix(r.defaultExt);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(r.flags & cdlOFNFileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        }
        // Qt's dialog has no read-only check box, so cdlOFNHideReadOnly holds by itself.
        if (!r.fileName.isEmpty()) {
            const QFileInfo last(r.fileName);
            dialog.setDirectory(last.absolutePath());
            dialog.selectFile(last.fileName());
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    std::optional<engine::ColorValue> showColor(QWidget* parent, const ColorDialogRequest& r) override
    {
        // Qt's colour dialog always shows its custom-colour part, which cdlCCFullOpen asks for.
        QColorDialog dialog(parent);
        dialog.setWindowTitle(r.title);
        if (r.flags & cdlCCRGBInit)
            dialog.setCurrentColor(toQColor(r.color));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return fromQColor(dialog.selectedColor());
    }
};

} // namespace

std::shared_ptr<DialogBackend> qtDialogBackend()
{
    return std::make_shared<QtDialogBackend>();
}

QStringList nameFiltersFor(const QString& filter)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : items[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << caseless(p.trimmed());
        out << items[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

} // namespace shell
