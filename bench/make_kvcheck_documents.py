#!/usr/bin/env python3
"""Writes a share of kvcheck -J documents (schema 2) as clean.cmd lays it out: one folder per PC,
<share>/<PC>/kvcheck-after.json, and with --before-after also kvcheck-before.json an hour
earlier. The states are mixed as a fleet in the middle of a rollout might be: 60 % clean, 15 %
done with what stays, 15 % still to clean, 5 % check failed, 5 % restart owed; a PC that still
holds the maker's objects has 4 to 13 queues with their ports and drivers. Same seed, same share.

usage: make_kvcheck_documents.py <share> <pcs> [--before-after]"""
import json
import os
import random
import sys

MODELS = ["NOVAX QZ-100", "NOVAX QZ-200", "Pravik P5", "Zul Z1 Color", "HaldenJet Pro 9",
          "Kestavo K7", "Marlowe M2", "Torin T3"]


def obj(name, decision, why, **facts):
    o = {"name": name, "decision": decision, "why": why}
    o.update(facts)
    return o


def document(rng, pc, state, time):
    doc = {"schema": 2, "program": "kvcheck", "version": "0.1.0", "computer": pc, "time": time,
           "account": {"name": "CORP\\" + pc + "$", "localSystem": True, "elevated": True},
           "windows": {"version": rng.choice(["10.0.19045", "10.0.22631", "6.1.7601"]),
                       "nativeArchitecture": rng.choice(["x64"] * 9 + ["x86"])},
           "models": [], "exitCode": 0, "found": False,
           "restartRequired": {"required": False}}
    kinds = ["packages", "connections", "machineConnections", "queues", "ports", "drivers",
             "pendingRemovals", "unreachedDrivers"]
    lists = {kind: [] for kind in kinds}
    if state == "todo":
        for i in range(rng.randint(4, 13)):
            model = MODELS[i % len(MODELS)]
            port = "DLM_IP:10.%d.%d.%d" % (rng.randint(0, 255), rng.randint(0, 255), i)
            lists["queues"].append(obj("%s on floor %d" % (model, i), "delete",
                                       "driver %s holds the brand text NOVAX; idle" % model,
                                       driver=model, port=port))
            lists["ports"].append(obj(port, "delete", "the monitor's \"DeletePort\" with protocol 3",
                                      monitor="DeviceLinkMonitor", route="XcvData DeletePort"))
        for model in MODELS[:rng.randint(2, 8)]:
            lists["drivers"].append(obj(model, "delete", "driver %s holds the brand text NOVAX" % model))
        lists["queues"].append(obj("Front desk", "keep", "printing 30", driver=MODELS[0]))
        doc["exitCode"] = 114
    elif state in ("done", "restart"):
        for model in MODELS[:rng.randint(1, 3)]:
            lists["unreachedDrivers"].append(obj(model, "unreached",
                                                 "no queue of the maker and no note of an earlier run uses it",
                                                 environment="Windows NT x86"))
        if rng.random() < 0.5:
            lists["ports"].append(obj("DLM_HUB", "keep", "a queue that is not cleaned uses it"))
        doc["exitCode"] = 113
        if state == "restart":
            doc["restartRequired"] = {"required": True, "products": ["NOVAX QZ Driver [NOVAX QZ-100]"],
                                      "since": time}
    elif state == "failed":
        doc["exitCode"] = 17
        doc["failure"] = "Failed to enumerate printers."
    doc["found"] = any(lists.values())
    doc["counts"] = {}
    for kind in kinds:
        counts = {}
        for o in lists[kind]:
            counts[o["decision"]] = counts.get(o["decision"], 0) + 1
        doc["counts"][kind] = counts
    doc["notes"] = {}
    doc.update(lists)
    return json.dumps(doc, indent=2) + "\n"


def main():
    share, pcs = sys.argv[1], int(sys.argv[2])
    before_after = "--before-after" in sys.argv[3:]
    rng = random.Random(pcs)
    states = ["clean"] * 12 + ["done"] * 3 + ["todo"] * 3 + ["failed", "restart"]
    for n in range(pcs):
        pc = "PC%05d" % n
        folder = os.path.join(share, pc)
        os.makedirs(folder, exist_ok=True)
        state = rng.choice(states)
        minute = n % 60
        with open(os.path.join(folder, "kvcheck-after.json"), "w") as f:
            f.write(document(rng, pc, state, "2026-12-07T10:%02d:00Z" % minute))
        if before_after:
            with open(os.path.join(folder, "kvcheck-before.json"), "w") as f:
                f.write(document(rng, pc, "todo", "2026-12-07T09:%02d:00Z" % minute))


if __name__ == "__main__":
    main()
