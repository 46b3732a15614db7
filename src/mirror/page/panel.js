// The mirror page's script: draws the panel from the monitor's JSON messages.
