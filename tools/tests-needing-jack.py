"""Reads ctest's test list (ctest --show-only=json-v1) on standard input and
prints the names of the tests that hold the MIDI port lock, one a line: the
tests that need the shared JACK server."""
import json
import sys

for test in json.load(sys.stdin).get("tests", []):
    for prop in test.get("properties", []):
        if prop.get("name") == "RESOURCE_LOCK" and "jack_midi_ports" in prop.get("value", []):
            print(test["name"])
            break
