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
// number or there are not `count` of them. Places may be negative: a
// screen to the left of or above the first has negative coordinates.
std::vector<int> Numbers(const std::string& text, std::size_t count) {
  std::vector<int> numbers;
  for (const QString& part : QString::fromStdString(text).split(QLatin1Char(','))) {
    bool ok = false;
    numbers.push_back(part.toInt(&ok));
    if (!ok) return {};
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
  // A size must be positive; a place outside every screen is left to the
  // window to refuse.
  if (const auto main = Numbers(ReadText(registry, kMainPlace), 5);
      !main.empty() && main[2] > 0 && main[3] > 0) {
    places.main = QRect(main[0], main[1], main[2], main[3]);
    places.maximized = main[4] != 0;
  }
  if (const auto report = Numbers(ReadText(registry, kReportSize), 2);
      !report.empty() && report[0] > 0 && report[1] > 0) {
    places.report_size = QSize(report[0], report[1]);
  }
  return places;
}

void SaveWindowPlaces(Registry& registry, const WindowPlaces& places) {
  const QRect& main = places.main;
  if (main.isValid()) {
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
