#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <stdexcept>
#include <vector>

#include "errors/run_error.h"
#include "platform/listing_order.h"

namespace quillfold::testing {
namespace {

// As many links as Linux follows in one path before it gives up.
constexpr int kMaxLinkHops = 40;

}  // namespace

struct MemoryFileSystem::Node {
  enum class Kind { kFile, kFolder, kLink };
  Kind kind = Kind::kFolder;
  std::string data;    // a file's content or a link's target
  int read_error = 0;  // what reading a file's tail meets, as an errno value
  std::map<std::string, std::unique_ptr<Node>> children;
};

// Where a path leads: the folder that holds the last component, its name and
// the node there (null when nothing is there yet). `error` is an errno value
// when the way there is broken. The root itself has no holder.
struct MemoryFileSystem::Location {
  int error = 0;
  Node* holder = nullptr;
  std::string name;
  Node* node = nullptr;
  std::vector<std::string> folders;  // the holder's own path from the root, links followed
};

namespace {

MemoryFileSystem::Location Failed(int error) {
  MemoryFileSystem::Location location;
  location.error = error;
  return location;
}

std::unique_ptr<MemoryFileSystem::Node> Leaf(MemoryFileSystem::Node::Kind kind,
                                             std::string_view data) {
  auto node = std::make_unique<MemoryFileSystem::Node>();
  node->kind = kind;
  node->data = data;
  return node;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem(char separator, std::string root)
    : separator_(separator), root_path_(std::move(root)), root_(std::make_unique<Node>()) {
  if (root_path_.empty() || root_path_.back() != separator_) {
    throw std::invalid_argument("root must end in the separator");
  }
}

MemoryFileSystem::~MemoryFileSystem() = default;

MemoryFileSystem::Location MemoryFileSystem::Resolve(const std::string& path, bool follow_last) {
  if (!path.starts_with(root_path_)) return Failed(ENOENT);
  std::deque<std::string> pending;
  const auto push_components = [&](std::string_view text, bool at_front) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
      const auto end = std::min(text.find(separator_, start), text.size());
      if (end > start) parts.emplace_back(text.substr(start, end - start));
      start = end + 1;
    }
    pending.insert(at_front ? pending.begin() : pending.end(), parts.begin(), parts.end());
  };
  push_components(std::string_view(path).substr(root_path_.size()), false);
  std::vector<Node*> chain{root_.get()};
  std::vector<std::string> names;  // of chain[1...]
  int hops = 0;
  while (!pending.empty()) {
    const std::string name = pending.front();
    pending.pop_front();
    if (name == ".") continue;
    if (name == "..") {
      if (chain.size() > 1) {
        chain.pop_back();
        names.pop_back();
      }
      continue;
    }
    Node* folder = chain.back();
    if (folder->kind != Node::Kind::kFolder) return Failed(ENOTDIR);
    const auto found = folder->children.find(name);
    Node* node = found == folder->children.end() ? nullptr : found->second.get();
    if (node == nullptr) {
      if (pending.empty()) return {0, folder, name, nullptr, names};
      return Failed(ENOENT);
    }
    if (node->kind == Node::Kind::kLink && (follow_last || !pending.empty())) {
      if (++hops > kMaxLinkHops) return Failed(ELOOP);
      if (node->data.starts_with(root_path_)) {
        chain.resize(1);
        names.clear();
        push_components(std::string_view(node->data).substr(root_path_.size()), true);
      } else {
        push_components(node->data, true);
      }
      continue;
    }
    if (pending.empty()) return {0, folder, name, node, names};
    chain.push_back(node);
    names.push_back(name);
  }
  // The path named a folder on the chain itself (the root, or through ".."):
  // no holder, as nothing may move or remove it by that name.
  Location whole;
  whole.node = chain.back();
  if (!names.empty()) {
    whole.name = names.back();
    names.pop_back();
    whole.folders = names;
  }
  return whole;
}

MemoryFileSystem::Location MemoryFileSystem::ResolveOrThrow(const std::string& path,
                                                            bool follow_last,
                                                            std::string_view operation) {
  Location location = Resolve(path, follow_last);
  if (location.error == 0 && location.node == nullptr && location.holder == nullptr) {
    location.error = ENOENT;
  }
  if (location.error != 0) throw RunErrorFromOs(location.error, operation, path);
  return location;
}

void MemoryFileSystem::PutChild(Node& folder, const std::string& name, std::unique_ptr<Node> node) {
  folder.children[name] = std::move(node);
}

void MemoryFileSystem::AddLeaf(const std::string& path, std::unique_ptr<Node> leaf) {
  if (CreateFolderChain(path) != 0) throw std::invalid_argument("cannot add " + path);
  const Location location = ResolveOrThrow(path, false, "adding");
  PutChild(*location.holder, location.name, std::move(leaf));
}

void MemoryFileSystem::AddFile(const std::string& path, std::string_view content) {
  AddLeaf(path, Leaf(Node::Kind::kFile, content));
}

void MemoryFileSystem::AddUnreadableFile(const std::string& path, std::string_view content,
                                         int error) {
  auto leaf = Leaf(Node::Kind::kFile, content);
  leaf->read_error = error;
  AddLeaf(path, std::move(leaf));
}

void MemoryFileSystem::AddFolder(const std::string& path) {
  std::string chain = path;
  if (chain.back() != separator_) chain += separator_;
  if (CreateFolderChain(chain) != 0) throw std::invalid_argument("cannot add " + path);
}

void MemoryFileSystem::AddLink(const std::string& path, std::string_view target) {
  AddLeaf(path, Leaf(Node::Kind::kLink, target));
}

FolderListing MemoryFileSystem::ListFolder(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  const Location location = ResolveOrThrow(folder, false, "listing folder");
  if (location.node == nullptr) throw RunErrorFromOs(ENOENT, "listing folder", folder);
  if (location.node->kind == Node::Kind::kLink) {
    throw RunErrorFromOs(ELOOP, "listing folder", folder);
  }
  if (location.node->kind != Node::Kind::kFolder) {
    throw RunErrorFromOs(ENOTDIR, "listing folder", folder);
  }
  FolderListing listing;
  for (const auto& [name, node] : location.node->children) {
    switch (node->kind) {
      case Node::Kind::kFolder:
        listing.folders.push_back(name);
        break;
      case Node::Kind::kLink:
        listing.links.push_back(name);
        break;
      case Node::Kind::kFile:
        listing.files.push_back(name);
    }
  }
  std::sort(listing.files.begin(), listing.files.end(), ListingOrderLess);
  std::sort(listing.folders.begin(), listing.folders.end(), ListingOrderLess);
  std::sort(listing.links.begin(), listing.links.end(), ListingOrderLess);
  return listing;
}

bool MemoryFileSystem::PathExists(const std::string& path) {
  const std::lock_guard lock(mutex_);
  const Location location = Resolve(path, false);
  return location.error == 0 && location.node != nullptr;
}

bool MemoryFileSystem::IsSymbolicLink(const std::string& path) {
  const std::lock_guard lock(mutex_);
  const Location location = Resolve(path, false);
  return location.error == 0 && location.node != nullptr &&
         location.node->kind == Node::Kind::kLink;
}

TailRead MemoryFileSystem::ReadOrdinaryFileTail(const std::string& path,
                                                std::span<std::uint8_t> tail) {
  const std::lock_guard lock(mutex_);
  const auto slash = path.rfind(separator_);
  if (path.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0) return {};
  const Location location = Resolve(path, false);
  if (location.error != 0) return {false, location.error};
  if (location.node == nullptr) return {false, ENOENT};
  const Node& node = *location.node;
  if (node.kind != Node::Kind::kFile) return {};
  if (node.read_error != 0) return {false, node.read_error};
  if (node.data.size() < tail.size()) return {};
  std::copy(node.data.end() - static_cast<std::ptrdiff_t>(tail.size()), node.data.end(),
            tail.begin());
  return {true, 0};
}

int MemoryFileSystem::CreateFolderChain(const std::string& folder_path) {
  const std::lock_guard lock(mutex_);
  const auto last = folder_path.rfind(separator_);
  if (last == std::string::npos || last + 1 < root_path_.size()) return ENOENT;
  for (auto end = folder_path.find(separator_, root_path_.size()); end != std::string::npos;
       end = folder_path.find(separator_, end + 1)) {
    // Like mkdir, an existing entry of any kind (a dangling link included) is
    // left alone; only the final check follows links.
    const Location location = Resolve(folder_path.substr(0, end), false);
    if (location.error != 0) return location.error;
    if (location.node == nullptr && location.holder != nullptr) {
      PutChild(*location.holder, location.name, std::make_unique<Node>());
    }
  }
  const Location chain = Resolve(folder_path.substr(0, last + 1), true);
  if (chain.error != 0) return chain.error;
  if (chain.node == nullptr) return ENOENT;
  return chain.node->kind == Node::Kind::kFolder ? 0 : ENOTDIR;
}

RenameOutcome MemoryFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  const std::lock_guard lock(mutex_);
  const std::string what = from + "\" to \"" + to;
  const Location source = ResolveOrThrow(from, false, "moving");
  if (source.node == nullptr) throw RunErrorFromOs(ENOENT, "moving", what);
  if (source.holder == nullptr) throw RunErrorFromOs(EBUSY, "moving", what);
  const Location target = Resolve(to, false);
  if (target.error != 0) throw RunErrorFromOs(target.error, "moving", what);
  if (target.node != nullptr) return RenameOutcome::kTargetTaken;
  if (target.holder == nullptr) throw RunErrorFromOs(EBUSY, "moving", what);
  if (source.node->kind == Node::Kind::kFolder && to.starts_with(from + separator_)) {
    throw RunErrorFromOs(EINVAL, "moving", what);
  }
  auto node = std::move(source.holder->children.at(source.name));
  source.holder->children.erase(source.name);
  PutChild(*target.holder, target.name, std::move(node));
  return RenameOutcome::kRenamed;
}

void MemoryFileSystem::RemoveEmptyFolder(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  const Location location = ResolveOrThrow(folder, false, "removing folder");
  if (location.node == nullptr) throw RunErrorFromOs(ENOENT, "removing folder", folder);
  if (location.node->kind != Node::Kind::kFolder) {
    throw RunErrorFromOs(ENOTDIR, "removing folder", folder);
  }
  if (!location.node->children.empty()) {
    throw RunErrorFromOs(ENOTEMPTY, "removing folder", folder);
  }
  if (location.holder == nullptr) throw RunErrorFromOs(EBUSY, "removing folder", folder);
  location.holder->children.erase(location.name);
}

std::string MemoryFileSystem::ReadTextFile(const std::string& path) {
  const std::lock_guard lock(mutex_);
  const Location location = ResolveOrThrow(path, true, "reading");
  if (location.node == nullptr) throw RunErrorFromOs(ENOENT, "reading", path);
  if (location.node->kind != Node::Kind::kFile) throw RunErrorFromOs(EISDIR, "reading", path);
  return location.node->data;
}

void MemoryFileSystem::ReplaceTextFile(const std::string& path, const std::string& content) {
  const std::lock_guard lock(mutex_);
  const Location location = ResolveOrThrow(path, false, "writing");
  if (location.holder == nullptr) throw RunErrorFromOs(EISDIR, "writing", path);
  if (location.node != nullptr && location.node->kind == Node::Kind::kFolder) {
    throw RunErrorFromOs(EISDIR, "writing", path);
  }
  PutChild(*location.holder, location.name, Leaf(Node::Kind::kFile, content));
}

std::optional<ResolvedPath> MemoryFileSystem::FollowLinks(const std::string& path) {
  const std::lock_guard lock(mutex_);
  const Location location = Resolve(path, true);
  if (location.error != 0 || location.node == nullptr) return std::nullopt;
  std::string resolved = root_path_;
  for (const std::string& folder : location.folders) resolved += folder + separator_;
  resolved += location.name;
  return ResolvedPath{resolved, location.node->kind == Node::Kind::kFolder};
}

void MemoryFileSystem::AddMountPoint(const std::string& path) {
  AddFolder(path);
  mount_points_.insert(path);
}

bool MemoryFileSystem::IsMountPoint(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  return mount_points_.contains(folder);
}

std::unique_ptr<FolderHold> MemoryFileSystem::HoldForRun(const std::string& folder) {
  class Hold final : public FolderHold {
   public:
    Hold(MemoryFileSystem& owner, std::string folder) : owner_(owner), folder_(std::move(folder)) {}
    ~Hold() override {
      const std::lock_guard lock(owner_.mutex_);
      owner_.holds_.erase(owner_.holds_.find(folder_));
    }

   private:
    MemoryFileSystem& owner_;
    std::string folder_;
  };
  std::string key = folder;
  if (key.empty() || key.back() != separator_) key += separator_;
  const std::lock_guard lock(mutex_);
  for (const std::string& held : holds_) {
    if (held.starts_with(key) || key.starts_with(held)) return nullptr;
  }
  holds_.insert(key);
  return std::make_unique<Hold>(*this, std::move(key));
}

}  // namespace quillfold::testing
