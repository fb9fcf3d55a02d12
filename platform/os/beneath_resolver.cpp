#include "platform/os/beneath_resolver.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "platform/os/text.h"

namespace plat {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit for one path

struct Step {
    std::string name;
    bool fromLink = false;  // link targets are taken literally, without the case rule
};

// Splits a link target at "/" into the steps of the walk (empty parts and "." dropped).
void PushTarget(const std::string& target, std::deque<Step>* todo) {
    std::vector<Step> parts;
    size_t start = 0;
    while (start <= target.size()) {
        size_t end = target.find('/', start);
        if (end == std::string::npos) {
            end = target.size();
        }
        std::string part = target.substr(start, end - start);
        if (!part.empty() && part != ".") {
            parts.push_back(Step{std::move(part), true});
        }
        start = end + 1;
    }
    todo->insert(todo->begin(), parts.begin(), parts.end());
}

bool ReadLink(int fd, std::string* target) {
    char buffer[4096];
    const ssize_t n = ::readlinkat(fd, "", buffer, sizeof buffer);
    if (n < 0 || static_cast<size_t>(n) >= sizeof buffer) {
        return false;
    }
    target->assign(buffer, static_cast<size_t>(n));
    return true;
}

std::string JoinHost(const std::string& base, const std::vector<std::string>& names) {
    std::string path = base;
    for (const std::string& n : names) {
        path += '/';
        path += n;
    }
    return path;
}

}  // namespace

bool FindNameNoCase(int dirFd, const std::string& name, std::string* found) {
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool any = false;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view candidate = e->d_name;
        if (candidate == "." || candidate == ".." || !EqualsNoCase(candidate, name)) {
            continue;
        }
        if (!any || candidate < *found) {
            found->assign(candidate);
            any = true;
        }
    }
    ::closedir(dir);
    return any;
}

bool ResolveBeneath(const ResolveBase& base, const std::vector<std::string>& components,
                    bool followLast, Resolved* out) {
    std::vector<UniqueFd> dirs;      // dirs[0] is the base; each next one lies in the one before
    std::vector<std::string> names;  // host names of dirs[1...]
    dirs.emplace_back(::open(base.hostPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dirs[0].Valid()) {
        return false;
    }
    std::deque<Step> todo;
    for (const std::string& c : components) {
        if (c.empty() || c == "." || c == "..") {
            return false;
        }
        todo.push_back(Step{c, false});
    }
    int links = 0;
    // The object is the folder on top of the stack until a last component says otherwise.
    auto finishAtTop = [&]() {
        out->exists = ::fstat(dirs.back().Get(), &out->st) == 0;
        if (dirs.size() == 1) {
            out->parent = UniqueFd(::dup(dirs[0].Get()));
            out->name.clear();
        } else {
            out->parent = std::move(dirs[dirs.size() - 2]);
            out->name = names.back();
        }
        out->hostPath = JoinHost(base.hostPath, names);
        return out->exists && out->parent.Valid();
    };
    if (todo.empty()) {
        return finishAtTop();
    }
    while (!todo.empty()) {
        Step step = std::move(todo.front());
        todo.pop_front();
        const bool last = todo.empty();
        if (step.name == "..") {
            if (dirs.size() == 1) {
                return false;  // would leave the base
            }
            dirs.pop_back();
            names.pop_back();
            if (last) {
                return finishAtTop();
            }
            continue;
        }
        const int here = dirs.back().Get();
        UniqueFd fd(::openat(here, step.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.Valid() && errno == ENOENT && !step.fromLink) {
            std::string other;
            if (FindNameNoCase(here, step.name, &other)) {
                step.name = other;
                fd.Reset(::openat(here, step.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            }
        }
        if (!fd.Valid()) {
            if (errno != ENOENT || !last) {
                return false;
            }
            out->parent = std::move(dirs.back());
            out->name = step.name;
            names.push_back(step.name);
            out->hostPath = JoinHost(base.hostPath, names);
            out->exists = false;
            out->st = {};
            return true;
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0) {
            return false;
        }
        if (S_ISLNK(st.st_mode) && (!last || followLast)) {
            std::string target;
            if (++links > kMaxLinks || !ReadLink(fd.Get(), &target) || target.empty()) {
                return false;
            }
            if (target[0] == '/') {
                // Absolute: only a target inside the base is followed, walked from the base.
                const std::string& b = base.hostPath;
                if (target.compare(0, b.size(), b) != 0 ||
                    (target.size() > b.size() && target[b.size()] != '/')) {
                    return false;
                }
                target.erase(0, b.size());
                dirs.resize(1);
                names.clear();
            }
            if (last && target.find_first_not_of('/') == std::string::npos) {
                return finishAtTop();  // the link names the base itself
            }
            PushTarget(target, &todo);
            if (todo.empty()) {
                return finishAtTop();
            }
            continue;
        }
        if (last) {
            out->parent = std::move(dirs.back());
            out->name = step.name;
            names.push_back(step.name);
            out->hostPath = JoinHost(base.hostPath, names);
            out->exists = true;
            out->st = st;
            return true;
        }
        if (!S_ISDIR(st.st_mode)) {
            return false;
        }
        dirs.push_back(std::move(fd));
        names.push_back(std::move(step.name));
    }
    return finishAtTop();
}

}  // namespace plat
