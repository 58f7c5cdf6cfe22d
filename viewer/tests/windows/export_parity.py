"""pellora-export.exe under Wine against pellora-export on Linux: the cases
of export_cases.txt, each run by both programs with its paths in the form
of the program's platform (Z:\\... under Wine); standard output, standard
error and exit status compared byte for byte, the claim file's path in the
output aside. Ends with "N passed, N failed".

  export_parity.py <cases> <linux program> <windows program> <examples> <linux bin> <windows bin> <files>
"""
import json
import shutil
import subprocess
import sys
from pathlib import Path

cases, linux_program, windows_program, examples, linux_bin, windows_bin, files = sys.argv[1:8]
files = Path(files)


def windows(path):
    """The path as a Windows program under Wine sees it: drive Z: is /."""
    return "Z:" + str(path).replace("/", "\\")


# The files the cases name, written afresh.
files.mkdir(parents=True, exist_ok=True)
(files / "one-line.csv").write_bytes(b"1,00000001,0,1,711,0,20240410,1371234567\r\n")
(files / "not-a-database.qdr").write_bytes(b"[qdr]\r\nQdrPath=nothing\r\n")
(files / "other-codes.csv").write_bytes(
    b"1,00000001,0,3,712,0,20260410,1371234567,13,7,202604,0\r\n"
    b"2,00000002,7111,01,202603\r\n2,00000003,7E11,01,202603\r\n2,00000004,7E11,01,202603\r\n3,00000005\r\n")
for name in ("-claim.csv", "請求 データ.csv"):
    shutil.copyfile(Path(examples) / "care-fee-claim-202404.csv", files / name)
# A larger claim file: the examples' lines over and over, a person each.
lines = (Path(examples) / "care-fee-claim-202404.csv").read_bytes().split(b"\r\n")
body = [line for line in lines[1:-2] if line]
(files / "generated.csv").write_bytes(b"\r\n".join([lines[0]] + body * 40 + [lines[-2], b""]))
(files / "linux.ini").write_bytes(f"[qdr]\nQdrPath={linux_bin}/data.qdr\n".encode())
(files / "windows.ini").write_bytes(f"[qdr]\r\nQdrPath={windows(windows_bin)}\\data.qdr\r\n".encode("cp932"))

places = {
    "linux": {"{examples}": examples, "{bin}": linux_bin, "{files}": str(files),
              "{settings}": str(files / "linux.ini")},
    "windows": {"{examples}": windows(examples), "{bin}": windows(windows_bin), "{files}": windows(files),
                "{settings}": windows(files / "windows.ini")},
}


def arguments(template, platform):
    out = []
    for argument in template:
        for key, value in places[platform].items():
            argument = argument.replace(key, value)
        if platform == "windows":
            argument = argument.replace("/", "\\") if argument.startswith("Z:") or "=Z:" in argument else argument
        out.append(argument)
    return out


def run(command, name):
    """Runs a program with its output in files (Wine holds a pipe open). A
    program that has not ended after 15 minutes (a start under an emulated
    Wine takes minutes) gives the status None, which no case expects."""
    out, err = files / f"{name}.out", files / f"{name}.err"
    with open(out, "wb") as o, open(err, "wb") as e:
        try:
            status = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=o, stderr=e, timeout=900).returncode
        except subprocess.TimeoutExpired:
            status = None
    return status, out.read_bytes(), err.read_bytes()


passed = failed = 0
for number, line in enumerate(Path(cases).read_text(encoding="utf-8").splitlines()):
    if not line or line.startswith("#"):
        continue
    name, *template = line.split("\t")
    linux_args, windows_args = arguments(template, "linux"), arguments(template, "windows")
    expected = run([linux_program] + linux_args, f"case{number}-linux")
    actual = run(["wine", windows_program] + windows_args, f"case{number}-windows")
    # The paths the output quotes (the claim file's, the database's) in the
    # Linux form, as they stand and as JSON writes them.
    out = actual[1]
    database = [(f"{linux_bin}/data.qdr", f"{windows(windows_bin)}\\data.qdr")]
    for linux_path, windows_path in sorted(list(zip(linux_args, windows_args)) + database, key=lambda p: -len(p[1])):
        if linux_path == windows_path:
            continue
        for form in (lambda t: t, lambda t: json.dumps(t, ensure_ascii=False)[1:-1]):
            out = out.replace(form(windows_path).encode(), form(linux_path).encode())
    actual = (actual[0], out, actual[2])
    if actual == expected and (expected[1] or expected[2]):
        passed += 1
        continue
    failed += 1
    what = ", ".join(part for part, a, e in zip(("exit status", "output", "errors"), actual, expected) if a != e)
    print(f"FAIL {name}: {what or 'nothing written'} differ (status {actual[0]}, expected {expected[0]}; "
          f"files/case{number}-*)")
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
