#include "velmor/dialogs/commondialog.h"

#include "velmor/dialogs/colors.h"

#include "platform/nativepath.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace dialogs {
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

// A save dialog adds the extension of the type chosen when the name is confirmed, so that a bare
// name typed under "QPXﾌｧｲﾙ(*.qpx)" becomes a QPX file.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* parent, const FileDialogRequest& r)
        : QFileDialog(parent, r.title), filter_(r.filter), defaultExt_(r.defaultExt)
    {
        // Qt's own follow-up gives the name the pattern's text ("*.[jJ][pP][gG]" as an
        // extension); the name is set again from the entry itself, after Qt's.
        connect(this, &QFileDialog::filterSelected, this, [this] {
            if (acceptMode() != AcceptSave)
                return;
            if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(nameForChosenEntry(filter_, chosenEntry(), edit->text()));
        });
    }

    void accept() override
    {
        if (acceptMode() == AcceptSave)
            setDefaultSuffix(suffixForFilter(filter_, chosenEntry(), defaultExt_));
        QFileDialog::accept();
    }

private:
    // The dialog names the chosen type by its description alone when it hides the patterns.
    int chosenEntry() const
    {
        const QString chosen = selectedNameFilter();
        const QStringList filters = nameFilters();
        const QStringList items = filter_.split(QLatin1Char('|'));
        for (qsizetype i = 0; i < filters.size(); ++i)
            if (filters[i] == chosen || items.value(2 * i) == chosen)
                return int(i);
        return -1;
    }

    QString filter_;
    QString defaultExt_;
};

class QtDialogBackend : public DialogBackend {
public:
    std::optional<QString> showFile(QWidget* parent, const FileDialogRequest& r) override
    {
        const auto dialog = makeFileDialog(parent, r);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        // Qt's dialog shows every byte that is no UTF-8 as U+FFFD: the chosen name is found again
        // by its bytes, and when two files look alike nothing is done with either.
        const QString shown = dialog->selectedFiles().constFirst();
        if (const std::optional<QString> chosen = platform::fromQtPath(shown))
            return chosen;
        QMessageBox::warning(parent, r.title,
            QStringLiteral("%1 と同じに見える名前のファイルがほかにもあり、どれを選んだのか区別できません。\n"
                           "ファイルの名前を変えてから選んでください。").arg(shown));
        return std::nullopt;
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

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& r)
{
    auto dialog = std::make_unique<FileDialog>(parent, r);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(nameFiltersFor(r.filter));
    if (r.save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !(r.flags & cdlOFNOverwritePrompt));
        dialog->setDefaultSuffix(suffixForFilter(r.filter, 0, r.defaultExt));
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(r.flags & cdlOFNFileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    // Qt's dialog has no read-only check box, so cdlOFNHideReadOnly holds by itself.
    if (!r.fileName.isEmpty()) {
        const QFileInfo last(platform::qtPath(r.fileName));
        dialog->setDirectory(last.absolutePath());
        dialog->selectFile(last.fileName());
    } else if (!r.initDir.isEmpty()) {
        dialog->setDirectory(r.initDir);
    }
    return dialog;
}

QString suffixForFilter(const QString& filter, int index, const QString& defaultExt)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    if (index < 0 || 2 * qsizetype(index) + 1 >= items.size())
        return defaultExt;
    const QString first = items[2 * index + 1].split(QLatin1Char(';')).constFirst().trimmed();
    // Only "*.ext" names an extension; "*.*", "*" and patterns with wildcards in the
    // extension leave it to defaultExt.
    if (!first.startsWith(QLatin1String("*.")))
        return defaultExt;
    const QString ext = first.mid(2);
    if (ext.isEmpty() || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')) || ext.contains(QLatin1Char('[')))
        return defaultExt;
    return ext;
}

QString nameForChosenEntry(const QString& filter, int index, const QString& name)
{
    const QString wanted = suffixForFilter(filter, index, QString());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (wanted.isEmpty() || dot <= 0)
        return name;
    const QString current = name.mid(dot + 1);
    QStringList own;
    const QStringList items = filter.split(QLatin1Char('|'));
    for (qsizetype i = 1; i < items.size(); i += 2)
        for (const QString& pattern : items[i].split(QLatin1Char(';')))
            if (pattern.trimmed().startsWith(QLatin1String("*.")))
                own << pattern.trimmed().mid(2);
    if (!own.contains(current, Qt::CaseInsensitive) && !current.contains(QLatin1Char('[')))
        return name;
    return name.left(dot + 1) + wanted;
}

QString CommonDialog::startName(const FileChoice& c) const
{
    if (c.proposedName.isEmpty())
        return FileName;
    // By text: the folder keeps the bytes of its name.
    const qsizetype slash = FileName.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? FileName.left(slash) : InitDir;
    if (folder.isEmpty())
        return slash == 0 ? QLatin1Char('/') + c.proposedName : c.proposedName;
    return folder.endsWith(QLatin1Char('/')) ? folder + c.proposedName : folder + QLatin1Char('/') + c.proposedName;
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

} // namespace dialogs
