#include "app/window_settings.h"

#include <QStringList>
#include <vector>

#include "organize/organize_options.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace quillfold {
namespace {

constexpr std::string_view kStartPath = "StartPath";
constexpr std::string_view kMainPlace = "frmMainPlace";
constexpr std::string_view kReportSize = "frmResultsSize";

std::string ReadText(Registry& registry, std::string_view name) {
  return RegValueText(ReadSetting(registry, kSettingsRoot, kSettingsKeyPath, name));
}

void WriteText(Registry& registry, std::string_view name, const std::string& text) {
  WriteSetting(registry, kSettingsRoot, kSettingsKeyPath, name, RegValue(text), REG_SZ);
}

// The numbers of a comma-separated text, or none when any is not a whole
// non-negative number or there are not `count` of them.
std::vector<int> Numbers(const std::string& text, std::size_t count) {
  std::vector<int> numbers;
  for (const QString& part : QString::fromStdString(text).split(QLatin1Char(','))) {
    bool ok = false;
    numbers.push_back(part.toInt(&ok));
    if (!ok || numbers.back() < 0) return {};
  }
  return numbers.size() == count ? numbers : std::vector<int>{};
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
  for (const OrganizeOption& option : kOrganizeOptions) {
    options.*option.field =
        StoredOptionState(ReadText(registry, option.name), options.*option.field);
  }
  return options;
}

std::string ReadStartPath(Registry& registry) { return ReadText(registry, kStartPath); }

void SaveWindowSettings(Registry& registry, const std::string& start_path,
                        const OrganizeOptions& options) {
  EnsureRegKey(registry, kSettingsRoot, kSettingsKeyPath);
  WriteText(registry, kStartPath, start_path);
  for (const OrganizeOption& option : kOrganizeOptions) {
    WriteText(registry, option.name, options.*option.field == 0 ? "unchecked" : "checked");
  }
}

}  // namespace quillfold

namespace quillfold {

WindowPlaces ReadWindowPlaces(Registry& registry) {
  WindowPlaces places;
  if (const auto main = Numbers(ReadText(registry, kMainPlace), 5); !main.empty()) {
    places.main = QRect(main[0], main[1], main[2], main[3]);
    places.maximized = main[4] != 0;
  }
  if (const auto report = Numbers(ReadText(registry, kReportSize), 2); !report.empty()) {
    places.report_size = QSize(report[0], report[1]);
  }
  return places;
}

void SaveWindowPlaces(Registry& registry, const WindowPlaces& places) {
  const QRect& main = places.main;
  if (main.isValid() && main.x() >= 0 && main.y() >= 0) {
    WriteText(registry, kMainPlace,
              QStringLiteral("%1,%2,%3,%4,%5")
                  .arg(main.x())
                  .arg(main.y())
                  .arg(main.width())
                  .arg(main.height())
                  .arg(places.maximized ? 1 : 0)
                  .toStdString());
  }
  if (places.report_size.isValid()) {
    WriteText(registry, kReportSize,
              QStringLiteral("%1,%2")
                  .arg(places.report_size.width())
                  .arg(places.report_size.height())
                  .toStdString());
  }
}

}  // namespace quillfold
