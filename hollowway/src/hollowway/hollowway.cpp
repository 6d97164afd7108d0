// Placeholder until the tunnel library lands.
