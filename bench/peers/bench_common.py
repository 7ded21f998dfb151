"""What the Python peers share with the C programs: the BENCH line
(name, median, min, max in milliseconds, count) and name=value arguments."""
import statistics


def report(name, samples_ms):
    values = sorted(samples_ms)
    print("BENCH %s %.5f %.5f %.5f %d" % (name, statistics.median(values), values[0],
                                          values[-1], len(values)), flush=True)


def arg_int(argv, key, fallback):
    for arg in argv[1:]:
        if arg.startswith(key + "="):
            return int(arg[len(key) + 1:])
    return fallback
