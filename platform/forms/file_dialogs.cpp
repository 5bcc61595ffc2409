#include "platform/forms/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace platform {
namespace {

FileDialogHook &Hook()
{
    static FileDialogHook hook;
    return hook;
}

QString CutAtNul(const QString &text)
{
    qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString SpacedPatterns(const QString &pattern)
{
    return pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

// The extension of the filter's first pattern ("*.png" gives "png"); empty for a pattern whose
// extension is itself a wildcard.
QString FirstPatternExtension(const FileFilter &filter)
{
    QString first = filter.pattern.section(QLatin1Char(';'), 0, 0).trimmed();
    qsizetype dot = first.lastIndexOf(QLatin1Char('.'));
    QString extension = dot < 0 ? QString() : first.mid(dot + 1);
    if (extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?'))) {
        return QString();
    }
    return extension;
}

int32_t RunDialog(FileDialogKind kind, OpenFileName &record)
{
    std::vector<FileFilter> filters = SplitFilterString(record.lpstrFilter);
    QStringList names;
    for (const FileFilter &filter : filters) {
        names << NameFilterText(filter);
    }
    QFileDialog dialog(record.hwndOwner, record.lpstrTitle, record.lpstrInitialDir);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(kind == FileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (record.Flags & kOfnOverwritePrompt) == 0);
    if (!names.isEmpty()) {
        dialog.setNameFilters(names);
    }
    int first = std::clamp<int32_t>(record.nFilterIndex, 1, std::max<int32_t>(1, static_cast<int32_t>(names.size())));
    // A name typed without an extension takes the chosen filter's, as the system's dialog does.
    auto followFilter = [&](const QString &chosen) {
        qsizetype index = names.indexOf(chosen);
        QString extension = index < 0 ? QString() : FirstPatternExtension(filters[static_cast<size_t>(index)]);
        dialog.setDefaultSuffix(extension.isEmpty() ? record.lpstrDefExt : extension);
    };
    if (!names.isEmpty()) {
        dialog.selectNameFilter(names[first - 1]);
        followFilter(names[first - 1]);
    } else {
        dialog.setDefaultSuffix(record.lpstrDefExt);
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    if (!record.lpstrFile.isEmpty()) {
        dialog.selectFile(record.lpstrFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return 0;
    }
    record.lpstrFile = dialog.selectedFiles().constFirst();
    record.nFilterIndex = static_cast<int32_t>(names.indexOf(dialog.selectedNameFilter()) + 1);
    return 1;
}

int32_t ShowDialog(FileDialogKind kind, OpenFileName &record)
{
    record.lpstrFile = CutAtNul(record.lpstrFile);
    record.lpstrFileTitle.clear();
    int32_t result = Hook() ? Hook()(kind, record) : RunDialog(kind, record);
    record.lpstrFile = result != 0 ? CutAtNul(record.lpstrFile) : QString();
    record.lpstrFileTitle = QFileInfo(record.lpstrFile).fileName();
    return result;
}

}  // namespace

QString MakeFilterString(std::initializer_list<FileFilter> filters)
{
    QString text;
    for (const FileFilter &filter : filters) {
        text += filter.description + QChar(u'\0') + filter.pattern + QChar(u'\0');
    }
    return text + QChar(u'\0');
}

std::vector<FileFilter> SplitFilterString(const QString &filter)
{
    std::vector<FileFilter> filters;
    QStringList parts = filter.split(QChar(u'\0'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;  // the closing NUL
        }
        filters.push_back(FileFilter{parts[i], parts[i + 1]});
    }
    return filters;
}

QString NameFilterText(const FileFilter &filter)
{
    QString spaced = QLatin1Char('(') + SpacedPatterns(filter.pattern) + QLatin1Char(')');
    // A description that ends in its own bracket of wildcards (which may list fewer than the
    // pattern matches) shows the pattern's instead, so the label holds one bracket.
    qsizetype open = filter.description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && filter.description.endsWith(QLatin1Char(')')) &&
        filter.description.indexOf(QLatin1Char('*'), open) >= 0) {
        return filter.description.left(open) + spaced;
    }
    return filter.description + QLatin1Char(' ') + spaced;
}

int32_t ShowOpenDialog(OpenFileName &record)
{
    record.Flags |= kOfnExplorer | kOfnHideReadOnly;
    return ShowDialog(FileDialogKind::Open, record);
}

int32_t ShowSaveDialog(OpenFileName &record)
{
    record.Flags = kOfnExplorer | kOfnOverwritePrompt;
    return ShowDialog(FileDialogKind::Save, record);
}

void SetFileDialogHook(FileDialogHook hook)
{
    Hook() = std::move(hook);
}

}  // namespace platform
