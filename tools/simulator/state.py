"""Live state of the simulator: fixture, recorded requests and queued faults.

Every base address may carry a lane prefix "/_lane/<id>"; each lane has its own state, so test
programs running side by side neither see each other's requests nor trip each other's faults.
"""

import copy
import re
import threading

FAULT_KINDS = (
    "hang",
    "html404",
    "html500",
    "notjson",
    "refuse",
    "reply",
    "short",
    "ignore_range",
    "drop",
)
MAX_LANES = 256
MAX_RECORDS = 10000
_LANE = re.compile(rb"^/_lane/([A-Za-z0-9_.-]{1,64})(/.*)?$", re.S)


def split_lane(raw_target):
    """Raw request target -> (lane id or "", target inside the lane, lane prefix)."""
    m = _LANE.match(raw_target)
    if not m:
        return "", raw_target, ""
    lane = m.group(1).decode("ascii")
    return lane, m.group(2) or b"/", "/_lane/" + lane


def merge(into, partial):
    """Deep merge of a partial fixture: objects merge key by key, anything else replaces."""
    for key, value in partial.items():
        if isinstance(value, dict) and isinstance(into.get(key), dict):
            merge(into[key], value)
        else:
            into[key] = copy.deepcopy(value)


def check_fault(fault):
    """Error text for a malformed fault request, or None."""
    if not isinstance(fault, dict):
        return "the fault must be a JSON object"
    if not isinstance(fault.get("path"), str) or not fault["path"].startswith("/"):
        return '"path" must be a string beginning with "/"'
    if fault.get("kind") not in FAULT_KINDS:
        return '"kind" must be one of ' + ", ".join(FAULT_KINDS)
    for key in ("count", "status", "code", "bytes", "extra"):
        if key in fault and (type(fault[key]) is not int or fault[key] < 0):
            return '"%s" must be a non-negative integer' % key
    for key in ("body", "message", "content_type"):
        if key in fault and not isinstance(fault[key], str):
            return '"%s" must be a string' % key
    return None


class Lane:
    def __init__(self, fixture):
        self._fixture_at_start = fixture
        self._lock = threading.Lock()
        self._released = threading.Event()
        self.reset()

    def reset(self):
        """Back to the fixture; requests hanging in this lane are let go."""
        with self._lock:
            self._fixture = copy.deepcopy(self._fixture_at_start)
            self._requests = []
            self._faults = []
            self._released.set()
            self._released = threading.Event()

    def release(self):
        with self._lock:
            self._released.set()

    def fixture(self):
        with self._lock:
            return copy.deepcopy(self._fixture)

    def merge_fixture(self, partial, validate):
        """Merges partial into the live fixture if validate(merged) returns no error text."""
        with self._lock:
            merged = copy.deepcopy(self._fixture)
            merge(merged, partial)
            error = validate(merged)
            if error is None:
                self._fixture = merged
            return error

    def record(self, entry):
        with self._lock:
            if len(self._requests) < MAX_RECORDS:
                self._requests.append(entry)

    def requests(self):
        with self._lock:
            return list(self._requests)

    def add_fault(self, request):
        with self._lock:
            fault = dict(request)
            fault.setdefault("count", 1)
            fault["left"] = fault["count"]
            self._faults.append(fault)

    def take_fault(self, path):
        """The first queued fault whose path prefix matches, used up once; and the event that
        reset sets (for hangs)."""
        with self._lock:
            for fault in self._faults:
                if path.startswith(fault["path"]):
                    if fault["count"] != 0:
                        fault["left"] -= 1
                        if fault["left"] == 0:
                            self._faults.remove(fault)
                    return fault, self._released
            return None, self._released


class Lanes:
    def __init__(self, fixture):
        self._fixture = fixture
        self._lock = threading.Lock()
        self._lanes = {"": Lane(fixture)}

    def get(self, lane_id):
        """The lane of that id, made on first use; None when there are too many lanes."""
        with self._lock:
            lane = self._lanes.get(lane_id)
            if lane is None and len(self._lanes) < MAX_LANES:
                lane = self._lanes[lane_id] = Lane(self._fixture)
            return lane

    def release_all(self):
        with self._lock:
            for lane in self._lanes.values():
                lane.release()
