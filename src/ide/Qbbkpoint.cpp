// Breakpoints: status, toggling, triggering and following the edited text.
#include "ide/Qbbkpoint.h"

#include <algorithm>

std::string BreakpointName(const std::string& fileName, int line)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::string shortName =
        slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    return shortName + "_" + std::to_string(line + 1);
}

Qbbkpoint::Qbbkpoint(const std::string& fileName, int line)
    : Name(BreakpointName(fileName, line)), Line(line)
{
}

int Qbbkpoint::GetStatus() const
{
    if (IsDying) {
        return Dying;
    }
    if (IsForbidden) {
        return Forbidden;
    }
    return IsActive ? Active : Inactive;
}

void Qbbkpoint::SetStatus(int status)
{
    IsActive = status == Active;
    IsForbidden = status == Forbidden;
    IsDying = status == Dying;
}

std::string Qbbkpoint::StatusName(int status)
{
    static const char* const names[] = {"active", "inactive", "forbidden", "dying"};
    return status >= 0 && status <= 3 ? names[status] : std::string();
}

std::string Qbbkpoint::Hint() const
{
    return "Breakpoint " + Name + "\nStatus: " + StatusName(GetStatus()) +
           "\nNumber of passes : : " + std::to_string(PassLimit) + "\nCondition: " + Condition;
}

Qbbkpoint* Qbbklist::Find(int line)
{
    // A deleted line leaves its dying breakpoint where the line below moves up: the living one
    // is the one that answers for the line.
    Qbbkpoint* dying = nullptr;
    for (const auto& point : points) {
        if (point->Line == line) {
            if (!point->IsDying) {
                return point.get();
            }
            dying = point.get();
        }
    }
    return dying;
}

const Qbbkpoint* Qbbklist::Find(int line) const
{
    return const_cast<Qbbklist*>(this)->Find(line);
}

Qbbkpoint& Qbbklist::Add(const std::string& fileName, int line)
{
    points.push_back(std::make_unique<Qbbkpoint>(fileName, line));
    return *points.back();
}

bool Qbbklist::Toggle(const std::string& fileName, int line)
{
    Qbbkpoint* point = Find(line);
    if (point == nullptr) {
        Purge(false);
        Add(fileName, line);
        return true;
    }
    if (point->IsDying) {
        point->IsDying = false;
        return false;
    }
    point->IsActive = !point->IsActive;
    Purge(false);
    return false;
}

void Qbbklist::MarkDying(int line)
{
    if (Qbbkpoint* point = Find(line)) {
        point->SetStatus(Qbbkpoint::Dying);
    }
}

std::vector<int> Qbbklist::Purge(bool all)
{
    std::vector<int> removed;
    std::erase_if(points, [&](const std::unique_ptr<Qbbkpoint>& point) {
        if (all || point->IsDying) {
            removed.push_back(point->Line);
            return true;
        }
        return false;
    });
    return removed;
}

void Qbbklist::ResetPasses()
{
    for (const auto& point : points) {
        point->Passes = 0;
    }
}

bool Qbbklist::Triggered(int line, const ConditionEvaluator& evaluate, const NameLookup& lookup)
{
    Qbbkpoint* point = Find(line);
    if (point == nullptr || point->IsDying || point->IsForbidden || !point->IsActive) {
        return false;
    }
    if (!point->Condition.empty() && evaluate && !evaluate(point->Name, point->Condition)) {
        return false;
    }
    if (point->PassLimit > 0 && point->Passes != point->PassLimit) {
        ++point->Passes;
    }
    if (lookup) {
        for (const std::string& name : point->ToActivate) {
            Qbbkpoint* other = lookup(name);
            if (other != nullptr && other->GetStatus() == Qbbkpoint::Inactive) {
                other->SetStatus(Qbbkpoint::Active);
            }
        }
        for (const std::string& name : point->ToDeactivate) {
            Qbbkpoint* other = lookup(name);
            if (other != nullptr && other->GetStatus() == Qbbkpoint::Active) {
                other->SetStatus(Qbbkpoint::Inactive);
            }
        }
    }
    return point->Suspend;
}

Qbbklist::Renaming Qbbklist::LineInserted(int at)
{
    std::vector<int> before;
    for (const auto& point : points) {
        before.push_back(point->Line);
        if (point->Line >= at) {
            ++point->Line;
        }
    }
    return Rename(before);
}

Qbbklist::Renaming Qbbklist::LineDeleted(int at)
{
    std::vector<int> before;
    for (const auto& point : points) {
        before.push_back(point->Line);
        if (point->Line == at) {
            point->SetStatus(Qbbkpoint::Dying);
        } else if (point->Line > at) {
            --point->Line;
        }
    }
    return Rename(before);
}

Qbbklist::Renaming Qbbklist::Rename(const std::vector<int>& before)
{
    Renaming renamed;
    for (std::size_t i = 0; i < points.size() && i < before.size(); ++i) {
        Qbbkpoint& point = *points[i];
        if (point.Line == before[i]) {
            continue;
        }
        const std::size_t separator = point.Name.find_last_of('_');
        const std::string file =
            separator == std::string::npos ? point.Name : point.Name.substr(0, separator);
        std::string name = file + "_" + std::to_string(point.Line + 1);
        renamed[point.Name] = name;
        point.Name = std::move(name);
    }
    if (renamed.empty()) {
        return renamed;
    }
    // All at once: a breakpoint may take the old name of another that moved too.
    for (const auto& point : points) {
        for (std::vector<std::string>* list : {&point->ToActivate, &point->ToDeactivate}) {
            for (std::string& name : *list) {
                if (const auto found = renamed.find(name); found != renamed.end()) {
                    name = found->second;
                }
            }
        }
    }
    return renamed;
}

Qbbkpoint* Qbbklist::FindNamed(const std::string& name)
{
    Qbbkpoint* dying = nullptr;
    for (const auto& point : points) {
        if (point->Name == name) {
            if (!point->IsDying) {
                return point.get();
            }
            dying = point.get();
        }
    }
    return dying;
}
