"""The module's documentation and its type stubs: every public name has a
docstring, and _grabwell.pyi names every public function, class, method and
property the module has, with the same arguments, and nothing more."""

import ast
import importlib.util
import inspect
import pathlib
import subprocess
import sys

import pytest

import grabwell
from grabwell import _grabwell

STUB = pathlib.Path(grabwell.__file__).with_name("_grabwell.pyi")


def public(names):
    return {n for n in names if not n.startswith("_")}


def classes():
    return {name: value for name, value in vars(_grabwell).items()
            if isinstance(value, type) and not name.startswith("_")}


def own_members(cls):
    """The public names the class itself defines (not those of object or
    BaseException)."""
    return {name: value for klass in cls.__mro__ if klass.__module__ == "grabwell"
            for name, value in vars(klass).items() if not name.startswith("_")}


def raised(call):
    try:
        call()
    except Exception as error:  # noqa: BLE001 - the error is what is wanted
        return error
    raise AssertionError(f"{call} did not raise")


def instance_attributes(fixtures, tmp_path):
    """The attributes the module's exceptions carry, from ones it raised."""
    bad = grabwell.open(fixtures / "garbage.ico").icon_groups[0].images[1]
    refused = lambda: grabwell.set_icon(fixtures / "library.dll", fixtures / "cut.ico",  # noqa: E731
                                        output=tmp_path / "never.dll")
    return {"DecodeError": public(vars(raised(bad.rgba))), "WriteError": public(vars(raised(refused)))}


def described(value, name):
    """The docstring without the signature line pybind11 puts first."""
    doc = inspect.getdoc(value) or ""
    if doc.startswith(name + "("):
        doc = doc.partition("\n")[2]
    return doc.strip()


def test_every_public_name_has_a_docstring():
    for module in (grabwell, _grabwell):
        assert described(module, ""), module
    assert public(dir(grabwell)) == public(dir(_grabwell)) == set(grabwell.__all__)
    undocumented = [name for name in public(dir(grabwell)) if not described(getattr(grabwell, name), name)]
    for class_name, cls in classes().items():
        undocumented += [f"{class_name}.{name}" for name, member in own_members(cls).items()
                         if not described(member, name)]
    assert undocumented == []


def stub_tree():
    return ast.parse(STUB.read_text(), str(STUB))


def stub_members(node):
    """Names a stub class or module body defines, with each function's node."""
    names = {}
    for item in node.body:
        if isinstance(item, (ast.FunctionDef, ast.ClassDef)):
            names[item.name] = item
        elif isinstance(item, ast.AnnAssign) and isinstance(item.target, ast.Name):
            names[item.target.id] = item
    return names


def arguments(function):
    """(name, default) of each argument of a def node."""
    args = function.args.args
    defaults = [None] * (len(args) - len(function.args.defaults)) + function.args.defaults
    return [(a.arg, None if d is None else ast.unparse(d)) for a, d in zip(args, defaults)]


def runtime_arguments(function, name):
    """The arguments of pybind11's signature line, parsed as a def."""
    line = function.__doc__.partition("\n")[0]
    assert line.startswith(name + "("), line
    return arguments(ast.parse(f"def {line}: ...").body[0])


def test_the_stub_names_what_the_module_has_with_the_same_arguments(fixtures, tmp_path):
    stub = stub_members(stub_tree())
    assert public(stub) == public(dir(_grabwell))
    assert "__version__" in stub
    carried = instance_attributes(fixtures, tmp_path)
    for class_name, cls in classes().items():
        assert isinstance(stub[class_name], ast.ClassDef), class_name
        members = stub_members(stub[class_name])
        expected = set(own_members(cls)) | carried.get(class_name, set())
        assert public(members) == expected, class_name
        for name, node in members.items():
            runtime = getattr(cls, name, None)
            if isinstance(node, ast.FunctionDef) and callable(runtime) and runtime.__doc__:
                stubbed = arguments(node)
                # pybind11 names the first argument self and types it; the stub does not.
                assert [a for a, _ in stubbed][:1] == ["self"], (class_name, name)
                assert runtime_arguments(runtime, name)[1:] == stubbed[1:], (class_name, name)
    for name, node in stub.items():
        if isinstance(node, ast.FunctionDef):
            assert runtime_arguments(getattr(_grabwell, name), name) == arguments(node), name


def test_the_package_is_marked_as_typed():
    assert STUB.with_name("py.typed").read_bytes() == b""


USAGE = '''
import grabwell

def largest(path: str) -> bytes | None:
    with grabwell.open(path, language=0x409) as doc:
        for group in doc.icon_groups:
            ident: int | None = group.id
            image = max(group.images, key=lambda im: im.width * im.height)
            return image.to_png() if ident is not None else group.to_bytes()
    other = grabwell.from_bytes(bytearray(b""), name="x.ico")
    other.close()
    return grabwell.best_icon(path, 64)
'''


@pytest.mark.skipif(importlib.util.find_spec("mypy") is None, reason="mypy is not installed")
def test_the_stubs_type_check(tmp_path):
    usage = tmp_path / "usage.py"
    usage.write_text(USAGE)
    site = pathlib.Path(grabwell.__file__).parent.parent
    run = subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--cache-dir", "/dev/null",
                          "-p", "grabwell", str(usage)],
                         env={"MYPYPATH": str(site), "PATH": "/usr/bin:/bin"}, capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr
