// The open and save dialogs. Each keeps its settings between showings and
// offers the last chosen path and file-type row again.
#pragma once

#include <QObject>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ui/modal.hpp"

namespace zunkaro::ui {

class Form;

class FileDialog : public QObject {
 public:
  FileDialog(Form& owner, FileDialogKind kind);
  ~FileDialog() override;
  FileDialog(const FileDialog&) = delete;
  FileDialog& operator=(const FileDialog&) = delete;

  void SetTitle(std::string_view sjisTitle);
  // Label and pattern, row after row, all parted by "|":
  // "ﾃｷｽﾄ(*.txt)|*.txt|全てのﾌｧｲﾙ(*.*)|*.*".
  void SetFilter(std::string_view sjisFilter);
  // An extension ("txt") that a name typed without one gets while the row
  // for that extension ("*.txt") is selected.
  void SetDefaultExt(std::string_view extension);

  // Shows the dialog and waits. True when the user chose a file; false,
  // changing nothing, when the user cancelled.
  [[nodiscard]] bool Execute();

  [[nodiscard]] const std::filesystem::path& FileName() const noexcept { return fileName_; }
  // Takes `fileName` as if the user had chosen it: the next showing offers it.
  void SetFileName(std::filesystem::path fileName) { fileName_ = std::move(fileName); }
  [[nodiscard]] std::size_t FilterIndex() const noexcept { return filterIndex_; }
  [[nodiscard]] const std::vector<FilterRow>& Filters() const noexcept { return filters_; }

 private:
  [[nodiscard]] FileDialogRequest Request() const;
  [[nodiscard]] std::filesystem::path WithDefaultExt(std::filesystem::path chosen,
                                                     std::size_t row) const;

  Form& owner_;
  FileDialogKind kind_;
  QString title_;
  std::vector<FilterRow> filters_;
  std::string defaultExt_;
  std::filesystem::path fileName_;
  std::size_t filterIndex_ = 0;
};

class OpenDialog final : public FileDialog {
 public:
  explicit OpenDialog(Form& owner) : FileDialog(owner, FileDialogKind::kOpen) {}
};

class SaveDialog final : public FileDialog {
 public:
  explicit SaveDialog(Form& owner) : FileDialog(owner, FileDialogKind::kSave) {}
};

// Shows `request` as a Qt file dialog over `parent` and waits for the
// answer. The dialog is Qt's own, not the desktop's, so that it behaves the
// same everywhere.
[[nodiscard]] FileDialogAnswer ShowFileDialog(const FileDialogRequest& request, QWidget* parent);

}  // namespace zunkaro::ui
