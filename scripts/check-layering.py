#!/usr/bin/env python3
"""Checks the layering of the libraries under src/ without building anything.

Reads every CMakeLists.txt below src/ (file(GLOB), list(FILTER/APPEND), set,
add_library, add_executable, target_sources, target_link_libraries) and every
quoted #include of the sources, and fails when

- a file includes a header of a library that its own library does not link,
  directly or through the libraries it links;
- a library links one that is not below it in the fan
      common <- printkit <- designer;  common <- backend <- capture;
      printkit, capture, designer <- printing;  app links the services;  ui links app
  (the executables at the top of src/ may link anything);
- a service library links Qt Widgets or Qt WebEngine Widgets;
- a library folder has no place in the fan, or a source file belongs to no target.

Usage: check-layering.py <src folder>
"""

import glob
import os
import re
import sys

# The libraries each folder may link directly; what they link may be linked as well.
FAN = {
    'common': [],
    'printkit': ['common'],
    'backend': ['common'],
    'designer': ['printkit'],
    'capture': ['backend'],
    'printing': ['printkit', 'capture', 'designer'],
    'app': ['common', 'printkit', 'backend', 'capture', 'designer', 'printing'],
    'ui': ['app'],
}
SERVICES = {'common', 'printkit', 'backend', 'capture', 'designer', 'printing', 'app'}
WIDGET_LIBRARIES = {'Qt6::Widgets', 'Qt6::WebEngineWidgets', 'Qt::Widgets', 'Qt::WebEngineWidgets'}
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc')
LINK_KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE', 'LINK_PUBLIC', 'LINK_PRIVATE', 'LINK_INTERFACE_LIBRARIES'}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def allowed_folders(folder):
    seen, todo = set(), list(FAN.get(folder, []))
    while todo:
        below = todo.pop()
        if below not in seen:
            seen.add(below)
            todo.extend(FAN.get(below, []))
    return seen


def commands(text):
    """Yields (name, arguments) of every command of a CMake file; quoted arguments keep their quotes."""
    text = re.sub(r'#\[\[.*?\]\]', '', text, flags=re.DOTALL)
    stripped = []
    for line in text.splitlines():
        out, quoted = [], False
        for i, ch in enumerate(line):
            if ch == '"' and (i == 0 or line[i - 1] != '\\'):
                quoted = not quoted
            if ch == '#' and not quoted:
                break
            out.append(ch)
        stripped.append(''.join(out))
    text = '\n'.join(stripped)
    for match in re.finditer(r'([A-Za-z_][A-Za-z0-9_]*)\s*\(((?:[^()"]|"(?:[^"\\]|\\.)*"|\([^()]*\))*)\)', text):
        yield match.group(1).lower(), re.findall(r'"(?:[^"\\]|\\.)*"|[^\s"]+', match.group(2))


def unescape(argument):
    if argument.startswith('"') and argument.endswith('"'):
        argument = argument[1:-1]
    return re.sub(r'\\(.)', r'\1', argument)


class Target:
    def __init__(self, name, folder, cmake_file, executable):
        self.name, self.folder, self.cmake_file, self.executable = name, folder, cmake_file, executable
        self.sources, self.links = set(), []


def read_targets(src):
    targets = {}
    for cmake_file in sorted(glob.glob(os.path.join(src, '**', 'CMakeLists.txt'), recursive=True)):
        directory = os.path.dirname(cmake_file)
        relative = os.path.relpath(directory, src)
        folder = '' if relative == '.' else relative.split(os.sep)[0]
        variables = {'CMAKE_CURRENT_SOURCE_DIR': [directory], 'CMAKE_CURRENT_LIST_DIR': [directory]}

        def expand(arguments):
            values = []
            for argument in arguments:
                quoted = argument.startswith('"')
                text = unescape(argument)
                whole = re.fullmatch(r'\$\{(\w+)\}', text)
                if whole and not quoted:
                    values.extend(variables.get(whole.group(1), []))
                    continue
                values.append(re.sub(r'\$\{(\w+)\}', lambda m: ';'.join(variables.get(m.group(1), [])), text))
            return [part for value in values for part in value.split(';') if part]

        def source_path(path):
            return os.path.normpath(path if os.path.isabs(path) else os.path.join(directory, path))

        with open(cmake_file, encoding='utf-8') as handle:
            text = handle.read()
        for name, raw in commands(text):
            if name == 'file' and raw and unescape(raw[0]) in ('GLOB', 'GLOB_RECURSE'):
                args = expand(raw[1:])
                var, patterns, base, i = args[0], [], directory, 1
                while i < len(args):
                    if args[i] == 'CONFIGURE_DEPENDS':
                        i += 1
                    elif args[i] in ('RELATIVE', 'LIST_DIRECTORIES'):
                        i += 2
                    else:
                        patterns.append(args[i])
                        i += 1
                found = []
                for pattern in patterns:
                    full = pattern if os.path.isabs(pattern) else os.path.join(base, pattern)
                    found.extend(sorted(glob.glob(full, recursive=unescape(raw[0]) == 'GLOB_RECURSE')))
                variables[var] = [os.path.normpath(path) for path in found]
            elif name == 'set' and raw:
                args = expand(raw)
                if 'CACHE' not in args and 'PARENT_SCOPE' not in args:
                    variables[args[0]] = args[1:]
            elif name == 'list' and len(raw) >= 2:
                args = expand(raw[:1]) + [unescape(a) for a in raw[1:2]] + expand(raw[2:])
                operation, var = args[0], args[1]
                if operation == 'APPEND':
                    variables.setdefault(var, []).extend(args[2:])
                elif operation == 'FILTER' and len(args) >= 5 and args[3] == 'REGEX':
                    pattern = re.compile(args[4])
                    keep = args[2] == 'INCLUDE'
                    variables[var] = [v for v in variables.get(var, []) if bool(pattern.search(v)) == keep]
            elif name in ('add_library', 'add_executable', 'qt_add_executable', 'qt_add_library'):
                args = expand(raw)
                if not args or 'IMPORTED' in args or 'ALIAS' in args:
                    continue
                target = Target(args[0], folder, cmake_file, 'executable' in name)
                target.sources.update(source_path(a) for a in args[1:] if a.endswith(SOURCE_SUFFIXES))
                targets[target.name] = target
            elif name == 'target_sources' and raw:
                args = expand(raw)
                if args[0] in targets:
                    targets[args[0]].sources.update(
                        source_path(a) for a in args[1:] if a.endswith(SOURCE_SUFFIXES))
            elif name == 'target_link_libraries' and raw:
                args = expand(raw)
                if args[0] in targets:
                    targets[args[0]].links.extend(a for a in args[1:] if a not in LINK_KEYWORDS)
    return targets


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    src = os.path.abspath(sys.argv[1])
    targets = read_targets(src)
    problems = []

    owner = {}
    for target in targets.values():
        for source in target.sources:
            owner[source] = target
    for path in sorted(glob.glob(os.path.join(src, '**', '*'), recursive=True)):
        if path.endswith(SOURCE_SUFFIXES) and os.path.normpath(path) not in owner:
            problems.append(f'{os.path.relpath(path, src)} belongs to no library')

    def reachable(target):
        seen, todo = set(), [target.name]
        while todo:
            name = todo.pop()
            if name in seen or name not in targets:
                continue
            seen.add(name)
            todo.extend(targets[name].links)
        return seen

    for target in sorted(targets.values(), key=lambda t: t.name):
        where = os.path.relpath(target.cmake_file, os.path.dirname(src))
        if not target.executable and target.folder not in FAN:
            problems.append(f'{where}: library {target.name} in src/{target.folder} has no place in the layering')
            continue
        for link in target.links:
            if link in WIDGET_LIBRARIES and target.folder in SERVICES:
                problems.append(f'{where}: service library {target.name} links {link}; '
                                'only the screens and the executable may')
            if link not in targets or target.executable:
                continue
            below = targets[link].folder
            if below != target.folder and below not in allowed_folders(target.folder):
                problems.append(f'{where}: {target.name} ({target.folder}) links {link} ({below}), '
                                f'which is not below it; {target.folder} may link only: '
                                f'{", ".join(sorted(allowed_folders(target.folder))) or "nothing of ours"}')

    checked = 0
    for target in sorted(targets.values(), key=lambda t: t.name):
        linked = reachable(target)
        for source in sorted(target.sources):
            if not os.path.exists(source):
                continue
            with open(source, encoding='utf-8', errors='replace') as handle:
                text = handle.read()
            for included in INCLUDE.findall(text):
                candidates = [os.path.normpath(os.path.join(os.path.dirname(source), included)),
                              os.path.normpath(os.path.join(src, included))]
                header = next((c for c in candidates if c in owner), None)
                if header is None:
                    continue
                checked += 1
                other = owner[header]
                if other.name not in linked:
                    problems.append(f'{os.path.relpath(source, os.path.dirname(src))} includes "{included}" of '
                                    f'{other.name}, which {target.name} does not link')

    if problems:
        print(f'layering: {len(problems)} problem(s)')
        for problem in problems:
            print(f'  {problem}')
        return 1
    print(f'layering: {len(targets)} targets, {checked} includes between our files, all in order')
    return 0


if __name__ == '__main__':
    sys.exit(main())
