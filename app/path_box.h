#pragma once

#include <QLineEdit>
#include <functional>
#include <string>
#include <vector>

namespace quillfold {

// lblPath as the user may type into it (folder names are offered by its
// completer). Tab completes the last name typed as far as the subfolders
// that start with it agree (a single one whole, with a "/", so its own
// folders come next). With nothing to complete, Tab moves the focus on as
// anywhere else.
class PathBox final : public QLineEdit {
 public:
  // `subfolders` gives the names of a folder's subfolders that may be
  // offered (none when it cannot be listed).
  using SubfolderNames = std::function<std::vector<std::string>(const std::string& folder)>;
  PathBox(SubfolderNames subfolders, QWidget* parent);

 protected:
  bool event(QEvent* event) override;

 private:
  // Puts the completed path in the line; false when that adds nothing.
  bool CompleteCommonPart();

  SubfolderNames subfolders_;
};

}  // namespace quillfold
