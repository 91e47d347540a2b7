#include "ui/file_dialog.hpp"

#include <QFileDialog>
#include <QStringList>

#include "ui/application.hpp"
#include "ui/form.hpp"
#include "ui/text.hpp"

namespace zunkaro::ui {
namespace {

// The pattern as Qt matches it: "*.*" means every file (Qt would want a dot
// in the name), and rows of several patterns part them with spaces.
QString QtPattern(const QString& pattern) {
  QStringList parts = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& part : parts) {
    part = part.trimmed();
    if (part == QLatin1String("*.*")) {
      part = QStringLiteral("*");
    }
  }
  return parts.join(QLatin1Char(' '));
}

// Qt takes the patterns from the last bracket of a row's text; the dialog
// hides that bracket, so the list shows the label exactly as given.
QStringList QtFilters(const std::vector<FilterRow>& rows) {
  QStringList filters;
  for (const FilterRow& row : rows) {
    filters << row.Label + QStringLiteral(" (") + QtPattern(row.Pattern) + QLatin1Char(')');
  }
  return filters;
}

}  // namespace

FileDialog::FileDialog(Form& owner, FileDialogKind kind)
    : QObject(&owner), owner_(owner), kind_(kind) {}

FileDialog::~FileDialog() = default;

void FileDialog::SetTitle(std::string_view sjisTitle) { title_ = FromShiftJis(sjisTitle); }

void FileDialog::SetFilter(std::string_view sjisFilter) {
  filters_.clear();
  std::vector<QString> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = sjisFilter.find('|', start);
    parts.push_back(FromShiftJis(sjisFilter.substr(start, bar - start)));
    if (bar == std::string_view::npos) {
      break;
    }
    start = bar + 1;
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    filters_.push_back(FilterRow{parts[i], parts[i + 1]});
  }
  filterIndex_ = 0;
}

void FileDialog::SetDefaultExt(std::string_view extension) { defaultExt_ = extension; }

FileDialogRequest FileDialog::Request() const {
  return FileDialogRequest{kind_, title_, filters_, filterIndex_, fileName_};
}

bool FileDialog::Execute() {
  const FileDialogRequest request = Request();
  const FileDialogResponder& responder = owner_.Owner().CurrentFileDialogResponder();
  const FileDialogAnswer answer = responder ? responder(request) : ShowFileDialog(request, &owner_);
  if (!answer.Accepted || answer.FileName.empty()) {
    return false;
  }
  const std::size_t row = answer.FilterIndex < filters_.size() ? answer.FilterIndex : 0;
  fileName_ = WithDefaultExt(answer.FileName, row);
  filterIndex_ = row;
  return true;
}

std::filesystem::path FileDialog::WithDefaultExt(std::filesystem::path chosen,
                                                 std::size_t row) const {
  if (defaultExt_.empty() || row >= filters_.size() || chosen.filename().has_extension()) {
    return chosen;
  }
  const QString rowPattern = QStringLiteral("*.") + QString::fromStdString(defaultExt_);
  if (filters_[row].Pattern.compare(rowPattern, Qt::CaseInsensitive) != 0) {
    return chosen;
  }
  chosen += "." + defaultExt_;
  return chosen;
}

FileDialogAnswer ShowFileDialog(const FileDialogRequest& request, QWidget* parent) {
  QFileDialog dialog(parent, request.Title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // An existing file is replaced without a prompt.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(request.Kind == FileDialogKind::kSave ? QFileDialog::AcceptSave
                                                             : QFileDialog::AcceptOpen);
  // The chosen file need not exist, also when opening: reading it tells.
  dialog.setFileMode(QFileDialog::AnyFile);
  const QStringList filters = QtFilters(request.Filters);
  dialog.setNameFilters(filters);
  if (request.FilterIndex < static_cast<std::size_t>(filters.size())) {
    dialog.selectNameFilter(filters[static_cast<qsizetype>(request.FilterIndex)]);
  }
  if (!request.FileName.empty()) {
    dialog.selectFile(FromPath(request.FileName));
  }
  if (dialog.exec() != QDialog::Accepted) {
    return {};
  }
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) {
    return {};
  }
  // With the details hidden, the dialog names the row by its label alone.
  const QString selected = dialog.selectedNameFilter();
  std::size_t row = 0;
  for (std::size_t i = 0; i < request.Filters.size(); ++i) {
    if (selected == filters[static_cast<qsizetype>(i)] ||
        selected == request.Filters[i].Label.simplified()) {
      row = i;
      break;
    }
  }
  return FileDialogAnswer{true, ToPath(files.front()), row};
}

}  // namespace zunkaro::ui
