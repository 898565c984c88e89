#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/volume_table.h"
#include "platform/file_system.h"

namespace quillfold {

// Dir1, the classic folder list: the chain of folders from the volume's
// mount point down to the current folder, then the current folder's
// subfolders (hidden ones left out), the current folder highlighted after
// every move. A click (or moving the highlight with the keys) only
// highlights an entry and emits entryClicked; a double click or Enter opens
// it, which makes it the current folder and emits pathChanged.
class FolderList final : public QTreeWidget {
  Q_OBJECT

 public:
  FolderList(FileSystem& file_system, const VolumeTable& volumes, QWidget* parent);

  // The current folder, as a normal path ("/" or "/a/b", see NormalFolderPath).
  const std::string& path() const { return path_; }

  // Moves the list to `folder` and emits pathChanged when the current folder
  // differs afterwards. Returns false, leaving everything as it was, when
  // `folder` cannot be listed.
  bool SetPath(const std::string& folder);

  // True when `folder` can be listed, so SetPath would succeed.
  bool CanOpen(const std::string& folder);
  // The names of the subfolders `folder` would show (none when it cannot be
  // listed).
  std::vector<std::string> SubfolderNames(const std::string& folder);

  // The full path of the highlighted entry ("" when nothing is highlighted).
  std::string HighlightedPath() const;

 signals:
  void entryClicked();
  void pathChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The chain is shown by indentation alone, without expand and collapse marks.
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

 private:
  void Fill(const std::string& folder, const std::vector<std::string>& subfolders);
  // An entry's icon: an open folder for the chain down to the current
  // folder, a closed one for its subfolders.
  enum class Drawn { kOpen, kClosed };
  QTreeWidgetItem* AddEntry(QTreeWidgetItem* parent, const std::string& text,
                            const std::string& full_path, Drawn drawn);
  void OpenHighlighted();

  FileSystem& file_system_;
  const VolumeTable& volumes_;
  std::string path_;
};

}  // namespace quillfold
