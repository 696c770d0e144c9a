package vorn.modapp;

// Prints where it runs and what tools see as the process's command.
public class Main {
  public static void main(String[] args) {
    System.out.println("module " + Main.class.getModule().getName() + ", arguments " + java.util.Arrays.toString(args)
        + ", sun.java.command " + System.getProperty("sun.java.command"));
  }
}
