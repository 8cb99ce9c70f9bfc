#!/usr/bin/env bash
set -o pipefail
# The split-flux transformer at three supply voltages, two passes each; every
# row is also kept in the campaign's record, every event line in its log.
for volts in 5.0 7.5 10.0; do
    transformer-efficiency --headless --simulate --fast-reads \
        --load-resistor 9.4 --supply "$volts" --capacitor 100 \
        --preset "SPLIT-FLUX TRANSFORMER #1" --passes 2 \
        --comment "unit 4711, campaign A" --record campaign-A 2>>campaign-A.log |
        cut -d, -f2,4,30,32 # how the pass ended, the supply, both efficiencies
    echo "exit status $?"
done
