#include "desktop/MonitorTargets.h"

#include <cstdlib>

#include "framework/TextBridge.h"

using monitor_layout::Rect;

namespace {
const char* const kMonitorMenu = "モニター(&M)";
const char* const kAllMonitorsItem = "すべてのモニター(&A)";
const char* const kPrimaryMark = " (メイン)";

Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* monitors = reinterpret_cast<std::vector<MonitorInfo>*>(data);
    if (monitors->size() >= MonitorTargets::kMaxMonitors) return FALSE;
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorInfo m;
    m.rect = FromRECT(info.rcMonitor);
    m.work = FromRECT(info.rcWork);
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof(device);
    // The interface name stays the same for the same monitor on the same port.
    if (EnumDisplayDevicesW(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME) && device.DeviceID[0])
        m.identity = ToCp932(device.DeviceID);
    if (m.identity.empty()) m.identity = ToCp932(info.szDevice);
    monitors->push_back(m);
    return TRUE;
}

bool ParseStyle(const std::string& text, DisplayStyle* style) {
    if (text.empty() || text.size() > 11) return false;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0') return false;
    *style = static_cast<DisplayStyle>(value);
    return true;
}
}  // namespace

std::vector<MonitorInfo> EnumerateMonitors() {
    std::vector<MonitorInfo> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    // Two monitors that the system names alike (the same model on a driver
    // that gives no serial) still need identities of their own.
    for (size_t i = 0; i < monitors.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (monitors[j].identity == monitors[i].identity) {
                monitors[i].identity += "#" + std::to_string(i + 1);
                break;
            }
    return monitors;
}

Rect VirtualScreenRect() {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

MonitorTargets::MonitorTargets(ProfileStore& profile) : m_profile(profile) {}

void MonitorTargets::Load() {
    m_choices.clear();
    m_target = m_profile.GetString(kSection, kTargetValue, std::string());
    const std::string text = m_profile.GetString(kSection, kWallpapersValue, std::string());
    // Lines that are not "identity, tab, style, tab, path" are skipped.
    size_t start = 0;
    while (start < text.size() && m_choices.size() < kMaxMonitors) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || tab1 == 0) continue;
        MonitorChoice choice;
        choice.path = line.substr(tab2 + 1);
        if (choice.path.empty() || !ParseStyle(line.substr(tab1 + 1, tab2 - tab1 - 1), &choice.style)) continue;
        m_choices[line.substr(0, tab1)] = choice;
    }
}

bool MonitorTargets::Save() {
    std::string text;
    for (const auto& [identity, choice] : m_choices)
        text += identity + "\t" + std::to_string(choice.style) + "\t" + choice.path + "\n";
    bool saved = m_profile.WriteString(kSection, kWallpapersValue, text);
    return m_profile.WriteString(kSection, kTargetValue, m_target) && saved;
}

void MonitorTargets::SetMonitors(std::vector<MonitorInfo> monitors) {
    m_monitors = std::move(monitors);
    if (!target()) m_target.clear();
}

const MonitorInfo* MonitorTargets::target() const {
    if (m_target.empty() || !several()) return nullptr;
    for (const MonitorInfo& m : m_monitors)
        if (m.identity == m_target) return &m;
    return nullptr;
}

void MonitorTargets::SetTarget(int index) {
    if (index >= 0 && static_cast<size_t>(index) < m_monitors.size() && several())
        m_target = m_monitors[index].identity;
    else
        m_target.clear();
}

const MonitorChoice* MonitorTargets::ChoiceFor(const std::string& identity) const {
    auto it = m_choices.find(identity);
    return it == m_choices.end() ? nullptr : &it->second;
}

void MonitorTargets::SetChoice(const std::string& identity, const MonitorChoice& choice) {
    if (m_choices.size() >= kMaxMonitors && !m_choices.count(identity)) return;
    m_choices[identity] = choice;
}

bool MonitorTargets::AnyPresentChoice() const {
    for (const MonitorInfo& m : m_monitors)
        if (ChoiceFor(m.identity)) return true;
    return false;
}

MonitorChoice MonitorTargets::ShownOnTarget(const MonitorChoice& allMonitors) const {
    const MonitorInfo* on = target();
    const MonitorChoice* own = on ? ChoiceFor(on->identity) : nullptr;
    return own ? *own : allMonitors;
}

std::string MonitorTargets::ItemText(size_t index, const MonitorInfo& monitor) {
    std::string text = "&" + std::to_string(index + 1) + ": " + std::to_string(monitor.rect.width()) + "×" +
                       std::to_string(monitor.rect.height());
    if (monitor.primary) text += kPrimaryMark;
    return text;
}

void MonitorTargets::InsertSubmenu(HMENU popup, UINT beforeCommand) const {
    if (!several() || !popup) return;
    int position = -1;
    for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i)
        if (GetMenuItemID(popup, i) == beforeCommand) position = i;
    if (position < 0) return;
    HMENU submenu = CreatePopupMenu();
    if (!submenu) return;
    AppendMenuW(submenu, MF_STRING, kAllCommand, ToWide(kAllMonitorsItem).c_str());
    int chosen = 0;
    for (size_t i = 0; i < m_monitors.size(); ++i) {
        AppendMenuW(submenu, MF_STRING, kAllCommand + 1 + i, ToWide(ItemText(i, m_monitors[i])).c_str());
        if (&m_monitors[i] == target()) chosen = static_cast<int>(i) + 1;
    }
    CheckMenuRadioItem(submenu, kAllCommand, kAllCommand + static_cast<UINT>(m_monitors.size()), kAllCommand + chosen,
                       MF_BYCOMMAND);
    // The popup menu owns the submenu from here on and destroys it with itself.
    if (!::InsertMenuW(popup, position, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                     ToWide(kMonitorMenu).c_str())) {
        DestroyMenu(submenu);
        return;
    }
    ::InsertMenuW(popup, position + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

bool MonitorTargets::IsMenuCommand(UINT command) const {
    return command >= kAllCommand && command <= kAllCommand + m_monitors.size();
}

bool MonitorTargets::OnMenuCommand(UINT command) {
    if (!IsMenuCommand(command)) return false;
    SetTarget(static_cast<int>(command - kAllCommand) - 1);
    return true;
}
