#!/usr/bin/env python3
"""Checks the layering of the libraries under src/ (and of the programs in extra trees such as
bench/) without building anything.

Reads every CMakeLists.txt below the given folders (file(GLOB), list(FILTER/APPEND), set,
add_library, add_executable, target_link_libraries, target_sources) and every #include of the
sources, and fails when

- a file includes a header of a library that its own target does not link, directly or through
  the libraries it links;
- a library links one that is not below it in the fan
      common <- printkit <- designer;  common <- backend <- capture;
      printkit, capture, designer <- printing;  app links the services;
  and, above app, the screens in an order of their own
      ui/widgets (the kit) <- ui/lists, ui/designer, ui/labels, ui/history;  ui/lists <- ui/live;
      every screen area <- ui/app (the shell)
  (the executables at the top of src/ may link anything);
- a service library links Qt Widgets or Qt WebEngine Widgets;
- a controller, model or other non-widget file of the screens (see NON_WIDGET_SUFFIXES and
  NON_WIDGET_FILES) includes a Qt Widgets header, or one of our headers that declares a widget;
- a file other than the composition root (SHARED_ALLOWED) reaches a process-wide `X::shared()`
  instance: everything else is handed what it uses;
- a program of an extra tree links one of our libraries none of whose headers it includes
  (a link kept only to reach what that library links in turn);
- a library folder has no place in the fan, or a source file belongs to no target.

Usage: check-layering.py <src folder> [<extra tree, e.g. bench> ...]
"""

import glob
import os
import re
import subprocess
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
    # The screens: the kit at the bottom, one library per screen area, the shell on top.
    'ui/widgets': ['app'],
    'ui/lists': ['app', 'ui/widgets'],
    'ui/designer': ['app', 'ui/widgets'],
    'ui/labels': ['app', 'ui/widgets'],
    'ui/history': ['app', 'ui/widgets'],
    'ui/live': ['app', 'ui/widgets', 'ui/lists'],
    'ui/app': ['app', 'ui/widgets', 'ui/lists', 'ui/designer', 'ui/labels', 'ui/history', 'ui/live'],
}
SERVICES = {'common', 'printkit', 'backend', 'capture', 'designer', 'printing', 'app'}
WIDGET_LIBRARIES = {'Qt6::Widgets', 'Qt6::WebEngineWidgets', 'Qt::Widgets', 'Qt::WebEngineWidgets'}
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc')
HEADER_SUFFIXES = ('.h', '.hpp')
LINK_KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE', 'LINK_PUBLIC', 'LINK_PRIVATE', 'LINK_INTERFACE_LIBRARIES'}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s*<([^>]+)>', re.MULTILINE)

# The screens' files that hold state and logic and must stay free of widgets: every file whose
# name (without its suffix) ends in one of these, and the files listed below.
NON_WIDGET_SUFFIXES = ('_controller', '_model', '_state', '_texts', '_roles')
NON_WIDGET_FILES = {
    'ui/app/sidebar_section',
    'ui/designer/element_binding',
    'ui/history/batch_print_run', 'ui/history/show_detail_lists', 'ui/history/show_printer',
    'ui/labels/label_card_types', 'ui/labels/label_preview_scales', 'ui/labels/label_samples',
    'ui/labels/label_test_actions', 'ui/labels/label_test_printer', 'ui/labels/labels_status',
    'ui/lists/buyer_group', 'ui/lists/live_row_labels', 'ui/lists/live_row_printer',
    'ui/live/live_tab',
}
# The files that may reach a process-wide `X::shared()` instance: the composition root, and the
# appearance store, whose process-wide instance writes to the settings installed at the moment.
SHARED_ALLOWED = {'app/app_state.cpp', 'main.cpp', 'printing/label_appearance_store.cpp'}
SHARED_CALL = re.compile(r'\b(\w+)::shared\(\s*\)')
LINE_COMMENT = re.compile(r'//[^\n]*')

# The Qt modules whose headers declare widgets.
WIDGET_MODULES = ('QtWidgets', 'QtWebEngineWidgets')


def qt_widget_headers():
    """The names of the Qt Widgets and Qt WebEngine Widgets headers, read from the installed Qt."""
    roots = [os.environ['QT_INSTALL_HEADERS']] if os.environ.get('QT_INSTALL_HEADERS') else []
    for tool in ('qtpaths6', 'qmake6', 'qtpaths', 'qmake'):
        try:
            answer = subprocess.run([tool, '-query', 'QT_INSTALL_HEADERS'], capture_output=True, text=True,
                                    timeout=10, check=False)
        except (OSError, subprocess.SubprocessError):
            continue
        if answer.returncode == 0 and answer.stdout.strip():
            roots.append(answer.stdout.strip())
    roots += glob.glob('/usr/include/*/qt6') + glob.glob('/usr/include/qt6')
    names = set()
    for root in roots:
        for module in WIDGET_MODULES:
            folder = os.path.join(root, module)
            if os.path.isdir(folder):
                names.update(name for name in os.listdir(folder) if not name.endswith('Depends'))
        if names:
            break
    return names


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
        self.sources, self.links, self.is_src = set(), [], True


def layer_of(root, directory, is_src):
    """The layer of a CMake folder: src/<folder>, src/ui/<area>, or the name of an extra tree (bench)."""
    if not is_src:
        return os.path.basename(root)
    relative = os.path.relpath(directory, root)
    if relative == '.':
        return ''
    parts = relative.split(os.sep)
    if parts[0] == 'ui' and len(parts) > 1:
        return 'ui/' + parts[1]
    return parts[0]


def read_targets(root, is_src, targets):
    for cmake_file in sorted(glob.glob(os.path.join(root, '**', 'CMakeLists.txt'), recursive=True)):
        directory = os.path.dirname(cmake_file)
        folder = layer_of(root, directory, is_src)
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
                target.is_src = is_src
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




def is_non_widget_file(src, path):
    relative = os.path.splitext(os.path.relpath(path, src))[0]
    if not relative.startswith('ui' + os.sep):
        return False
    relative = relative.replace(os.sep, '/')
    return relative.endswith(NON_WIDGET_SUFFIXES) or relative in NON_WIDGET_FILES


class Sources:
    """The include lines of our files, read once."""

    def __init__(self, src, qt_widgets):
        self.src, self.qt_widgets, self.texts, self.widget_reason = src, qt_widgets, {}, {}

    def text(self, path):
        if path not in self.texts:
            with open(path, encoding='utf-8', errors='replace') as handle:
                self.texts[path] = handle.read()
        return self.texts[path]

    def ours(self, path):
        """(include text, resolved path) of every quoted include that names one of our files."""
        found = []
        for included in INCLUDE.findall(self.text(path)):
            for candidate in (os.path.normpath(os.path.join(os.path.dirname(path), included)),
                              os.path.normpath(os.path.join(self.src, included))):
                if os.path.isfile(candidate):
                    found.append((included, candidate))
                    break
        return found

    def qt_widget_includes(self, path):
        return [name for name in SYSTEM_INCLUDE.findall(self.text(path))
                if name in self.qt_widgets or name.split('/')[0] in WIDGET_MODULES]

    def declares_widget(self, path, stack=()):
        """Why a header of ours declares a widget (a Qt Widgets header it reaches), or None."""
        if path in self.widget_reason:
            return self.widget_reason[path]
        if path in stack:
            return None
        reason = None
        direct = self.qt_widget_includes(path)
        if direct:
            reason = f'<{direct[0]}>'
        else:
            for included, header in self.ours(path):
                below = self.declares_widget(header, stack + (path,))
                if below:
                    reason = f'"{included}" and {below}' if below.startswith('<') else below
                    break
        self.widget_reason[path] = reason
        return reason


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    src = os.path.abspath(sys.argv[1])
    extra_trees = [os.path.abspath(tree) for tree in sys.argv[2:]]
    targets = {}
    read_targets(src, True, targets)
    for tree in extra_trees:
        read_targets(tree, False, targets)
    problems = []
    qt_widgets = qt_widget_headers()
    if not qt_widgets:
        problems.append('the Qt Widgets headers were not found (set QT_INSTALL_HEADERS to the Qt include folder)')
    files = Sources(src, qt_widgets)
    top = os.path.dirname(src)

    def shown(path):
        return os.path.relpath(path, top)

    owner = {}
    for target in targets.values():
        for source in target.sources:
            owner[source] = target
    for root in [src] + extra_trees:
        for path in sorted(glob.glob(os.path.join(root, '**', '*'), recursive=True)):
            if not path.endswith(SOURCE_SUFFIXES) or os.path.normpath(path) in owner:
                continue
            # A helper header of a program tree belongs to the programs that include it.
            if root != src and path.endswith(HEADER_SUFFIXES):
                continue
            problems.append(f'{shown(path)} belongs to no library')

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
        where = shown(target.cmake_file)
        if target.is_src and not target.executable and target.folder not in FAN:
            problems.append(f'{where}: library {target.name} in src/{target.folder} has no place in the layering')
            continue
        for link in target.links:
            if link in WIDGET_LIBRARIES and target.folder in SERVICES:
                problems.append(f'{where}: service library {target.name} links {link}; '
                                'only the screens and the executable may')
            if link not in targets or target.executable or not target.is_src:
                continue
            below = targets[link].folder
            if below != target.folder and below not in allowed_folders(target.folder):
                problems.append(f'{where}: {target.name} ({target.folder}) links {link} ({below}), '
                                f'which is not below it; {target.folder} may link only: '
                                f'{", ".join(sorted(allowed_folders(target.folder))) or "nothing of ours"}')

    checked = 0
    for target in sorted(targets.values(), key=lambda t: t.name):
        linked = reachable(target)
        # The target's sources, and the helper headers of its tree that they include.
        todo = sorted(s for s in target.sources if os.path.exists(s))
        scanned, used = set(), set()
        while todo:
            source = todo.pop(0)
            if source in scanned:
                continue
            scanned.add(source)
            for included, header in files.ours(source):
                other = owner.get(header)
                if other is None:
                    if not target.is_src and header.startswith(os.path.dirname(target.cmake_file) + os.sep):
                        todo.append(header)
                    continue
                checked += 1
                used.add(other.name)
                if other.name not in linked:
                    problems.append(f'{shown(source)} includes "{included}" of '
                                    f'{other.name}, which {target.name} does not link')
        if not target.is_src:
            for link in target.links:
                if link in targets and targets[link].is_src and link not in used:
                    problems.append(f'{shown(target.cmake_file)}: {target.name} links {link} but includes '
                                    f'none of its headers; link what the program uses')

    for path in sorted(owner):
        relative = os.path.relpath(path, src).replace(os.sep, '/')
        if not path.startswith(src + os.sep) or relative in SHARED_ALLOWED or not os.path.exists(path):
            continue
        code = LINE_COMMENT.sub('', files.text(path))
        for match in SHARED_CALL.finditer(code):
            # The definition of a class's own accessor is not a use of it.
            if re.match(r'\s*\{', code[match.end():]):
                continue
            line = code.count('\n', 0, match.start()) + 1
            problems.append(f'{shown(path)}:{line} reaches {match.group(0)}; only AppState and main may, '
                            'the rest is handed what it uses')

    for path in sorted(owner):
        if not (path.startswith(src + os.sep) and is_non_widget_file(src, path) and os.path.exists(path)):
            continue
        for name in files.qt_widget_includes(path):
            problems.append(f'{shown(path)} includes <{name}>, a Qt Widgets header; '
                            'controllers, models and the screens\' other non-widget files include none')
        for included, header in files.ours(path):
            reason = files.declares_widget(header)
            if reason:
                problems.append(f'{shown(path)} includes "{included}", which declares a widget (it reaches '
                                f'{reason}); controllers, models and the screens\' other non-widget files '
                                'include none')

    if problems:
        print(f'layering: {len(problems)} problem(s)')
        for problem in problems:
            print(f'  {problem}')
        return 1
    print(f'layering: {len(targets)} targets, {checked} includes between our files, all in order')
    return 0


if __name__ == '__main__':
    sys.exit(main())
