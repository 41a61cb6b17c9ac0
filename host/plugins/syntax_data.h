#pragma once
#include <maya/MSyntax.h>

#include <string>
#include <vector>

// What an MSyntax holds: the flag table, command arguments and object rules.
struct MSyntax::Data {
    struct Flag {
        std::string shortName;
        std::string longName;
        std::vector<MSyntax::MArgType> args;
        bool multiUse = false;
    };
    std::vector<Flag> flags;
    std::vector<MSyntax::MArgType> commandArgs;
    MSyntax::MObjectFormat objectFormat = MSyntax::kNone;
    unsigned int minObjects = 0;
    unsigned int maxObjects = ~0u;
    bool useSelection = false;
    bool query = false;
    bool edit = false;

    Flag* find(const std::string& name) {
        for (auto& f : flags)
            if (f.shortName == name || (!f.longName.empty() && f.longName == name)) return &f;
        return nullptr;
    }
    const Flag* find(const std::string& name) const { return const_cast<Data*>(this)->find(name); }
};
