#include "app/window_settings.h"

#include "app/option_boxes.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace quillfold {
namespace {

constexpr std::string_view kStartPath = "StartPath";

std::string ReadText(Registry& registry, std::string_view name) {
  return RegValueText(ReadSetting(registry, kSettingsRoot, kSettingsKeyPath, name));
}

void WriteText(Registry& registry, std::string_view name, const std::string& text) {
  WriteSetting(registry, kSettingsRoot, kSettingsKeyPath, name, RegValue(text), REG_SZ);
}

}  // namespace

int StoredOptionState(std::string_view text, int state) {
  if (text.empty()) return state;
  switch (text.front()) {
    case 'u':
    case 'U':
      return 0;
    case 'c':
    case 'C':
      return 1;
    default:
      return state;
  }
}

OrganizeOptions ReadStoredOptions(Registry& registry, OrganizeOptions options) {
  for (const OptionBox& box : kOptionBoxes) {
    options.*box.field = StoredOptionState(ReadText(registry, box.name), options.*box.field);
  }
  options.*kId3v2Box.field =
      StoredOptionState(ReadText(registry, kId3v2Box.name), options.*kId3v2Box.field);
  return options;
}

std::string ReadStartPath(Registry& registry) { return ReadText(registry, kStartPath); }

void SaveWindowSettings(Registry& registry, const std::string& start_path,
                        const OrganizeOptions& options) {
  EnsureRegKey(registry, kSettingsRoot, kSettingsKeyPath);
  WriteText(registry, kStartPath, start_path);
  for (const OptionBox& box : kOptionBoxes) {
    WriteText(registry, box.name, options.*box.field == 0 ? "unchecked" : "checked");
  }
  WriteText(registry, kId3v2Box.name, options.*kId3v2Box.field == 0 ? "unchecked" : "checked");
}

}  // namespace quillfold
