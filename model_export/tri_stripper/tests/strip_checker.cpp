#include "strip_checker.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace strip_check {

tri canonical(tri t)
{
    const tri r1{t[1], t[2], t[0]};
    const tri r2{t[2], t[0], t[1]};
    return std::min({t, r1, r2});
}

std::vector<tri> decode_strip(const std::vector<std::uint32_t>& s)
{
    std::vector<tri> out;
    for (std::size_t i = 0; i + 2 < s.size(); ++i) {
        if (i % 2 == 0)
            out.push_back({s[i], s[i + 1], s[i + 2]});
        else
            out.push_back({s[i + 1], s[i], s[i + 2]});
    }
    return out;
}

namespace {

std::string text(const tri& t)
{
    std::ostringstream o;
    o << "(" << t[0] << "," << t[1] << "," << t[2] << ")";
    return o.str();
}

} // namespace

std::string check(const std::vector<std::uint32_t>& input, const std::vector<group>& groups)
{
    std::ostringstream err;
    if (input.size() % 3 != 0)
        err << "input of " << input.size() << " indices\n";

    std::map<tri, long> balance; // input count minus output count
    for (std::size_t i = 0; i + 2 < input.size(); i += 3)
        ++balance[canonical({input[i], input[i + 1], input[i + 2]})];

    std::size_t lists = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const group& grp = groups[g];
        if (grp.indices.empty())
            err << "group " << g << " is empty\n";
        if (grp.strip) {
            if (lists > 0)
                err << "strip group " << g << " after the list\n";
            if (!grp.indices.empty() && grp.indices.size() < 3)
                err << "strip group " << g << " has " << grp.indices.size() << " indices\n";
            for (const tri& t : decode_strip(grp.indices))
                --balance[canonical(t)];
        } else {
            ++lists;
            if (grp.indices.size() % 3 != 0)
                err << "list group " << g << " has " << grp.indices.size() << " indices\n";
            for (std::size_t i = 0; i + 2 < grp.indices.size(); i += 3)
                --balance[canonical({grp.indices[i], grp.indices[i + 1], grp.indices[i + 2]})];
        }
    }
    if (lists > 1)
        err << lists << " list groups\n";

    for (const auto& [t, n] : balance) {
        if (n > 0)
            err << "missing " << n << " x " << text(t) << "\n";
        else if (n < 0)
            err << "extra " << -n << " x " << text(t) << "\n";
    }
    return err.str();
}

} // namespace strip_check
